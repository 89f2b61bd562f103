#include "engine/expr/CV_Values.h"

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_DataNames.h"
#include "engine/expr/CV_PrepError.h"
#include "platform/core/Component.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/data/Dataset.h"

namespace tessaly {

namespace {

constexpr size_t kMaxText = 255;
// Kind, other kind and three empty texts.
constexpr int64_t kSmallestValue = 1 + 4 + 3;

void WriteShort(Stream& stream, const AnsiString& text) {
    stream.WriteU8(static_cast<uint8_t>(text.size()));
    stream.WriteString(text);
}

AnsiString ReadShort(Stream& stream) { return stream.ReadBytes(stream.ReadU8()); }

bool KnownKind(const TcvValue& v) {
    if (v.Kind == vkOther) return v.OtherKind >= 0 && v.OtherKind < ValueKindCount;
    return v.Kind == vkNone || v.Kind == vkDataField;
}

}  // namespace

TcvValues::TcvValues() = default;
TcvValues::~TcvValues() = default;

size_t TcvValues::Check(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return static_cast<size_t>(index);
}

TcvValue& TcvValues::Items(int index) const { return *items_[Check(index)].value; }

const AnsiString& TcvValues::Names(int index) const { return items_[Check(index)].name; }

void TcvValues::SetName(int index, AnsiString name) { items_[Check(index)].name = std::move(name); }

int TcvValues::AddValue() {
    items_.push_back({AnsiString(), std::make_unique<TcvValue>()});
    return Count() - 1;
}

void TcvValues::Clear() { items_.clear(); }

TcvValue* TcvValues::FindVariable(std::string_view name) const {
    for (const Entry& e : items_)
        if (SameText(e.name, name)) return e.value.get();
    return nullptr;
}

TcvValue& TcvValues::SetExpression(const AnsiString& name, const AnsiString& expression) {
    TcvValue* value = FindVariable(name);
    if (!value) {
        const int index = AddValue();
        SetName(index, name);
        value = &Items(index);
    }
    value->Kind = vkOther;
    value->OtherKind = ExpressionValueKind;
    value->DataSetName.clear();
    value->FieldName = expression;
    return *value;
}

void TcvValues::WriteValues(Stream& stream) const {
    for (const Entry& e : items_) {
        if (e.name.size() > kMaxText || e.value->DataSetName.size() > kMaxText || e.value->FieldName.size() > kMaxText)
            throw EWriteError("Il valore \"" + e.name + "\" non pu\xF2 essere salvato: i suoi testi superano i " +
                              std::to_string(kMaxText) + " caratteri.");
    }
    stream.WriteI32(Count());
    for (const Entry& e : items_) {
        stream.WriteU8(e.value->Kind);
        stream.WriteI32(e.value->OtherKind);
        WriteShort(stream, e.value->DataSetName);
        WriteShort(stream, e.value->FieldName);
        WriteShort(stream, e.name);
    }
}

void TcvValues::ReadValues(Stream& stream) {
    const int32_t count = stream.ReadI32();
    if (count < 0 || count > stream.Remaining() / kSmallestValue) throw EReadError();
    std::vector<Entry> read;
    read.reserve(count);
    for (int32_t i = 0; i < count; ++i) {
        auto value = std::make_unique<TcvValue>();
        value->Kind = stream.ReadU8();
        value->OtherKind = stream.ReadI32();
        value->DataSetName = ReadShort(stream);
        value->FieldName = ReadShort(stream);
        AnsiString name = ReadShort(stream);
        if (!KnownKind(*value)) throw EReadError("Il valore \"" + name + "\" ha un tipo sconosciuto.");
        read.push_back({std::move(name), std::move(value)});
    }
    items_ = std::move(read);
}

// Each data-field value finds its dataset and, when that dataset is open, its field; a large-object
// field means that pictures may come from fields. The first failure stops the binding.
bool TcvValues::BindDataFields(const TComponent* owner) {
    bool pictures = false;
    if (PreparationErrorRecorded()) return pictures;
    for (const Entry& e : items_) {
        TcvValue& v = *e.value;
        if (v.Kind != vkDataField) continue;
        v.BoundField = nullptr;
        v.BoundDataSet = LookupDataset(owner, v.DataSetName);
        if (!v.BoundDataSet) {
            ReportPreparationError(MsgDatasetUnassigned + v.DataSetName);
            return pictures;
        }
        if (!v.BoundDataSet->Active()) continue;
        v.BoundField = v.BoundDataSet->FindField(v.FieldName);
        if (!v.BoundField) {
            ReportPreparationError(MsgFieldNotFound + v.BoundDataSet->Name() + "." + v.FieldName);
            return pictures;
        }
        if (data::IsLargeObject(v.BoundField->Kind())) pictures = true;
    }
    return pictures;
}

}  // namespace tessaly
