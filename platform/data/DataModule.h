#pragma once
// Data modules: components that hold a host's datasets, found by name like forms.
#include <memory>

#include "platform/core/Component.h"
#include "platform/data/Database.h"

namespace tessaly::data {

class TDataModule : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TDataModule"; }
};

// The table of queries a database may carry for its reports: columns `name` and `sql`, one
// query per row, its ":name" parameters bound like those of any SqlDataset (a detail query takes
// them from its master record). A template and its embedded database then travel as two files.
inline constexpr char kQueriesTable[] = "report_queries";

// A data module made from a database: one closed SqlDataset per table and view, named like it,
// and one per row of the database's report_queries (a name a table has is not taken again).
class DatabaseModule : public TDataModule {
public:
    DatabaseModule(std::shared_ptr<Database> database, TComponent* owner);
    Database& GetDatabase() const { return *database_; }

private:
    void AddStoredQueries();

    std::shared_ptr<Database> database_;
};

// Opens each closed dataset of `module` at its first record, so that the first texts of a report
// (a title band, a value bound to a picture field) read a one-row table before any band walks
// it; a band that walks one still starts from its first record. A dataset that cannot be opened
// (a query whose parameters are not given) stays closed: the band that walks it says why.
void OpenDatasets(TComponent& module);
// Closes every dataset of `module`: the next OpenDatasets reads them with their new parameters.
void CloseDatasets(TComponent& module);

}  // namespace tessaly::data
