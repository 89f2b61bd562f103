#pragma once
// Stand-ins for the database datasets that a template's datasets refer to but the application
// does not have, so that a template can be converted (".cvf" to JSON and back, or saved again)
// without its data and keep its dataset section as written, instead of losing each entry after
// the warning "Non è stato trovato il cvDataset". Every missing "Module.Component" gets an empty
// dataset of that name in a data module of that name, known to the application while the
// stand-ins live; a module the application has already is never shadowed.
#include <memory>
#include <vector>

#include "platform/core/Cp1252.h"

namespace tessaly {

namespace data {
class TDataModule;
}

class StandInDatasets {
public:
    explicit StandInDatasets(const std::vector<AnsiString>& references);
    ~StandInDatasets();
    StandInDatasets(const StandInDatasets&) = delete;
    StandInDatasets& operator=(const StandInDatasets&) = delete;

    int Count() const { return count_; }

private:
    data::TDataModule& ModuleNamed(const AnsiString& name);

    std::vector<std::unique_ptr<data::TDataModule>> modules_;
    int count_ = 0;
};

}  // namespace tessaly
