#include "platform/data/Field.h"

#include "platform/data/Dataset.h"

namespace tessaly::data {

const char* FieldKindName(FieldKind kind) {
    switch (kind) {
        case FieldKind::String: return "string";
        case FieldKind::Integer: return "integer";
        case FieldKind::Float: return "float";
        case FieldKind::Currency: return "currency";
        case FieldKind::DateTime: return "datetime";
        case FieldKind::Boolean: return "boolean";
        case FieldKind::Blob: return "blob";
        case FieldKind::Memo: return "memo";
        case FieldKind::Graphic: return "graphic";
        case FieldKind::FmtMemo: return "fmtmemo";
    }
    return "?";
}

bool IsLargeObject(FieldKind kind) { return kind >= FieldKind::Blob; }

Variant Field::Value() const {
    return dataset_.HasRecord() ? dataset_.ValueOf(*this) : Variant::Null();
}

bool Field::IsNull() const { return Value().IsNull(); }

std::unique_ptr<Stream> Field::OpenRead() const {
    const Variant value = Value();
    const std::string bytes = value.IsString() ? std::string(value.StringValue()) : value.AsString();
    return std::make_unique<MemoryStream>(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

}  // namespace tessaly::data
