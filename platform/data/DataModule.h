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

// A data module made from a database: one closed SqlDataset per table and view, named like it.
class DatabaseModule : public TDataModule {
public:
    DatabaseModule(std::shared_ptr<Database> database, TComponent* owner);
    Database& GetDatabase() const { return *database_; }

private:
    std::shared_ptr<Database> database_;
};

}  // namespace tessaly::data
