#include "platform/data/MemoryDataset.h"

#include "platform/data/QtValues.h"

namespace tessaly::data {

namespace {

Variant Stored(Variant value) { return value.IsEmpty() ? Variant::Null() : std::move(value); }

}  // namespace

MemoryDataset::MemoryDataset(TComponent* owner, std::vector<FieldDef> columns)
    : Dataset(owner), columns_(std::move(columns)) {}

MemoryDataset::~MemoryDataset() { CloseOnDestroy(); }

void MemoryDataset::AppendRow(std::vector<Variant> values) {
    for (Variant& v : values) v = Stored(std::move(v));
    rows_.push_back(std::move(values));
}

void MemoryDataset::AppendQtRow(const QVariantList& values) {
    std::vector<Variant> row;
    for (size_t i = 0; i < columns_.size() && i < size_t(values.size()); ++i)
        row.push_back(QtFieldValue(columns_[i].kind, values[qsizetype(i)]));
    AppendRow(std::move(row));
}

void MemoryDataset::SetValue(int row, int column, Variant value) {
    auto& values = rows_.at(row);
    if (column < 0) throw EDatabaseError("Colonna non valida: " + std::to_string(column));
    if (static_cast<size_t>(column) >= values.size()) values.resize(column + 1, Variant::Null());
    values[column] = Stored(std::move(value));
}

std::vector<FieldDef> MemoryDataset::OpenRecords() {
    if (!openFailure_.empty()) throw EDatabaseError(openFailure_);
    return columns_;
}

bool MemoryDataset::MoveTo(int index) {
    if (index < 0 || index >= RowCount()) return false;
    at_ = index;
    return true;
}

Variant MemoryDataset::ValueOf(const Field& field) const {
    if (at_ < 0 || at_ >= RowCount()) return Variant::Null();  // rows cleared under it
    const auto& values = rows_[at_];
    return static_cast<size_t>(field.Index()) < values.size() ? values[field.Index()] : Variant::Null();
}

}  // namespace tessaly::data
