#include "platform/data/SqlDataset.h"

namespace tessaly::data {

SqlDataset::SqlDataset(std::shared_ptr<Database> database, TComponent* owner)
    : Dataset(owner), database_(std::move(database)) {}

SqlDataset::~SqlDataset() { CloseOnDestroy(); }

void SqlDataset::SetTableName(AnsiString name) {
    tableName_ = std::move(name);
    sql_.clear();
}

void SqlDataset::SetSql(AnsiString sql) {
    sql_ = std::move(sql);
    tableName_.clear();
}

void SqlDataset::SetParam(AnsiString name, const Variant& value) {
    if (!name.empty() && name[0] == ':') name.erase(0, 1);
    for (SqlParam& p : params_) {
        if (SameText(p.name, name)) {
            p.value = value;
            return;
        }
    }
    params_.push_back({std::move(name), value});
}

std::vector<FieldDef> SqlDataset::OpenRecords() {
    if (tableName_.empty() && sql_.empty())
        throw EDatabaseError("Il dataset " + Name() + " non ha una tabella n\xE9 una query");
    const AnsiString sql = tableName_.empty() ? sql_ : "SELECT * FROM " + Database::QuoteName(tableName_);
    cursor_ = database_->Query(sql, params_);
    return cursor_->Fields();
}

Variant SqlDataset::ValueOf(const Field& field) const {
    return cursor_ ? FieldValueOf(field.Kind(), cursor_->Value(field.Index())) : Variant::Null();
}

}  // namespace tessaly::data
