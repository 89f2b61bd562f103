#include "platform/data/DataModule.h"

#include "platform/data/SqlDataset.h"

namespace tessaly::data {

DatabaseModule::DatabaseModule(std::shared_ptr<Database> database, TComponent* owner)
    : TDataModule(owner), database_(std::move(database)) {
    for (const Database::Table& table : database_->Tables()) {
        auto* dataset = new SqlDataset(database_, this);  // owned by the module
        dataset->SetName(table.name);
        dataset->SetTableName(table.name);
    }
}

}  // namespace tessaly::data
