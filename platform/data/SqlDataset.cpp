#include "platform/data/SqlDataset.h"

#include <string_view>

namespace tessaly::data {

namespace {

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The parameter names of a query text (":name"), outside quoted texts and names; "::" (a cast) is
// none.
std::vector<AnsiString> ParamNames(std::string_view sql) {
    std::vector<AnsiString> names;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const size_t end = sql.find(c, i + 1);
            if (end == std::string_view::npos) break;
            i = end;
        } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
            ++i;
        } else if (c == ':') {
            size_t end = i + 1;
            while (end < sql.size() && IsNameChar(sql[end])) ++end;
            if (end > i + 1) names.emplace_back(sql.substr(i + 1, end - i - 1));
            i = end - 1;
        }
    }
    return names;
}

bool SameValue(const Variant& a, const Variant& b) {
    if (a.Type() != b.Type()) return false;
    if (a.IsNull() || a.IsEmpty()) return true;
    return VarCompare(a, b) == 0;
}

}  // namespace

SqlDataset::SqlDataset(std::shared_ptr<Database> database, TComponent* owner)
    : CursorDataset(owner), database_(std::move(database)) {}

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

bool SqlDataset::ChangeParam(const AnsiString& name, const Variant& value) {
    for (const SqlParam& p : params_)
        if (SameText(p.name, name) && SameValue(p.value, value)) return false;
    SetParam(name, value);
    return true;
}

void SqlDataset::BindMasterFields(const Dataset& master) {
    bool changed = false;
    for (const AnsiString& name : ParamNames(sql_))
        if (const Field* field = master.FindField(name)) changed |= ChangeParam(name, field->Value());
    if (changed && Active()) Refresh();
    if (changed && Active()) First();
}

std::vector<FieldDef> SqlDataset::OpenRecords() {
    if (tableName_.empty() && sql_.empty())
        throw EDatabaseError("Il dataset " + Name() + " non ha una tabella n\xE9 una query");
    const AnsiString sql = tableName_.empty() ? sql_ : "SELECT * FROM " + Database::QuoteName(tableName_);
    return SetCursor(database_->Query(sql, params_));
}

}  // namespace tessaly::data
