#include "platform/data/CursorDataset.h"

namespace tessaly::data {

CursorDataset::~CursorDataset() = default;

std::vector<FieldDef> CursorDataset::SetCursor(std::unique_ptr<SqlCursor> cursor) {
    cursor_ = std::move(cursor);
    return cursor_->Fields();
}

Variant CursorDataset::ValueOf(const Field& field) const {
    return cursor_ ? FieldValueOf(field.Kind(), cursor_->Value(field.Index())) : Variant::Null();
}

}  // namespace tessaly::data
