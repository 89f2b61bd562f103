#include "platform/data/DataModule.h"

#include <algorithm>

#include "platform/data/Dataset.h"
#include "platform/data/SqlDataset.h"

namespace tessaly::data {

namespace {

bool HasTable(const std::vector<Database::Table>& tables, const AnsiString& name) {
    return std::any_of(tables.begin(), tables.end(), [&](const Database::Table& t) { return SameText(t.name, name); });
}

AnsiString TextOf(const SqlCursor& cursor, int column) {
    return Utf8ToCp1252(std::string(cursor.Value(column).bytes));
}

}  // namespace

DatabaseModule::DatabaseModule(std::shared_ptr<Database> database, TComponent* owner)
    : TDataModule(owner), database_(std::move(database)) {
    const std::vector<Database::Table> tables = database_->Tables();
    for (const Database::Table& table : tables) {
        auto* dataset = new SqlDataset(database_, this);  // owned by the module
        dataset->SetName(table.name);
        dataset->SetTableName(table.name);
    }
    if (HasTable(tables, kQueriesTable)) AddStoredQueries();
}

void DatabaseModule::AddStoredQueries() {
    auto cursor = database_->Query("SELECT name, sql FROM " + Database::QuoteName(kQueriesTable) + " ORDER BY name", {});
    for (int row = 0; cursor->MoveTo(row); ++row) {
        const AnsiString name = TextOf(*cursor, 0);
        if (name.empty() || FindComponent(name)) continue;  // a table keeps its name
        auto* dataset = new SqlDataset(database_, this);
        dataset->SetName(name);
        dataset->SetSql(TextOf(*cursor, 1));
    }
}

void OpenDatasets(TComponent& module) {
    for (int i = 0; i < module.ComponentCount(); ++i) {
        auto* dataset = dynamic_cast<Dataset*>(module.Components(i));
        if (!dataset || dataset->Active()) continue;
        try {
            dataset->Open();
        } catch (const EDatabaseError&) {
            // Left closed: walking it reports the database's message.
        }
    }
}

void CloseDatasets(TComponent& module) {
    for (int i = 0; i < module.ComponentCount(); ++i)
        if (auto* dataset = dynamic_cast<Dataset*>(module.Components(i))) dataset->Close();
}

}  // namespace tessaly::data
