// Stream to JSON: the version 29 template stream read field by field (CV_JsonFields.h), every
// field that differs from its default written under its key.
#include <QScopedValueRollback>
#include <algorithm>

#include "engine/report/CV_JsonCodecs.h"
#include "engine/model/CV_Objects.h"
#include "engine/model/CV_StreamForms.h"
#include "engine/report/CV_TemplateJson.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"

namespace tessaly {

namespace {

using json::Kind;
using json::Node;
using namespace jsonform;

enum : uint8_t { tagValues = 254, tagPage = 255 };

Values ReadRecord(Stream& in, const Record& r) {
    Values v(r.fields.size());
    for (size_t i = 0; i < r.fields.size(); ++i)
        if (r.fields[i].StoredFor(v)) v[i] = ReadStored(in, r.fields[i].stored);
    return v;
}

void AddField(Node& object, const Field& f, const FieldValue& value, const Values& v) {
    const char* key = f.KeyFor(v);
    if (!key || !f.StoredFor(v) || (!f.required && IsDefault(f, value, v))) return;
    Node* target = &object;
    if (f.group) {
        target = object.At(f.group);
        if (!target) target = &object.Add(f.group, Node::Object());
    }
    target->Add(key, ToJson(f, value));
}

bool IsKey(const Field& f, const char* key) { return f.key && !f.group && std::string_view(f.key) == key; }

// The record's fields into `object`: its leading keys first, then the others in stream order.
void AddRecord(Node& object, const Record& r, const Values& v) {
    for (const char* key : r.leadingKeys)
        for (size_t i = 0; i < r.fields.size(); ++i)
            if (IsKey(r.fields[i], key)) AddField(object, r.fields[i], v[i], v);
    for (size_t i = 0; i < r.fields.size(); ++i) {
        const bool leading = std::any_of(r.leadingKeys.begin(), r.leadingKeys.end(),
                                         [&](const char* key) { return IsKey(r.fields[i], key); });
        if (!leading) AddField(object, r.fields[i], v[i], v);
    }
}

Node RecordToJson(const Record& r, const Values& v) {
    Node object = Node::Object();
    AddRecord(object, r, v);
    return object;
}

Node ReadList(Stream& in, const Record& r) {
    const int32_t count = in.ReadI32();
    if (count < 0 || count > in.Remaining()) throw EReadError();
    Node list = Node::Array();
    for (int32_t i = 0; i < count; ++i) list.Append(RecordToJson(r, ReadRecord(in, r)));
    return list;
}

// An add-in object's own bytes, after the common part: the object reads itself to find where they end.
AnsiString AddInBytes(Stream& in, int64_t start, const AnsiString& className) {
    const int64_t commonEnd = in.Position();
    TcvView::DeferNaming unnamed;
    std::unique_ptr<TcvView> view = CreateObject(otAddIn, className, nullptr);
    in.SetPosition(start);
    view->LoadFromStream(in);
    const int64_t end = in.Position();
    if (end < commonEnd) throw EReadError();
    in.SetPosition(commonEnd);
    return in.ReadBytes(static_cast<size_t>(end - commonEnd));
}

const char* TypeName(int type) {
    for (const Name& n : ObjectTypes())
        if (n.value == type) return n.name;
    throw EReadError("Tipo di oggetto sconosciuto.");
}

void ReadObject(Stream& in, int type, Node& pages) {
    const char* typeName = TypeName(type);
    const AnsiString className = type == otAddIn ? ReadLineField(in) : AnsiString();
    const uint8_t page = in.ReadU8();
    if (page >= pages.items.size()) throw EReadError("Pagina dell'oggetto non ancora letta.");
    const Record& r = ObjectRecord(type);
    const int64_t start = in.Position();
    Values v = ReadRecord(in, r);
    if (type == otAddIn) v.back().text = AddInBytes(in, start, className);
    Node object = Node::Object();
    object.Add("type", Node::String(typeName));
    if (type == otAddIn) object.Add("class", Node::String(Cp1252ToUtf8(className)));
    AddRecord(object, r, v);
    Node& target = pages.items[page];
    Node* list = target.At("objects");
    if (!list) list = &target.Add("objects", Node::Array());
    list->Append(std::move(object));
}

// The records after the report's options, up to the end or a tag that stops the reader.
void ReadRecords(Stream& in, Node& pages, Node& values, StringList& data) {
    while (in.Remaining() > 0) {
        const uint8_t tag = in.ReadU8();
        if (tag == tagPage) {
            pages.Append(RecordToJson(PageRecord(), ReadRecord(in, PageRecord())));
        } else if (tag == tagValues) {
            values = ReadList(in, ValueRecord());
            ReadLineList(in, data);
        } else if (tag <= otAddIn) {
            ReadObject(in, tag, pages);
        } else {
            break;
        }
    }
}

}  // namespace

std::string TemplateStreamToJson(std::span<const uint8_t> bytes) {
    QScopedValueRollback version(StreamVersion, CurrentStreamVersion);
    ByteViewStream in(bytes);
    if (in.ReadU8() != CurrentStreamVersion) throw EReadError("Il modello non \xE8 alla versione 29.");
    Node root = Node::Object();
    root.Add("format", Node::String(kJsonTemplateFormat));
    root.Add("version", Node::Integer(kJsonTemplateVersion));
    Node datasets = ReadList(in, DatasetRecord());
    AddRecord(root, ReportRecord(), ReadRecord(in, ReportRecord()));
    if (!datasets.items.empty()) root.Add("datasets", std::move(datasets));
    Node pages = Node::Array(), values = Node::Array();
    FieldValue data;
    ReadRecords(in, pages, values, data.lines);
    root.Add("pages", std::move(pages));
    if (!values.items.empty()) root.Add("values", std::move(values));
    if (!data.lines.Empty()) root.Add("data", ToJson(DataLinesField(), data));
    return json::Write(root);
}

bool LooksLikeJsonTemplate(std::span<const uint8_t> head) {
    size_t i = head.size() >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF ? 3 : 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\n' || head[i] == '\r')) ++i;
    return i < head.size() && (head[i] == '{' || head[i] == '[');
}

}  // namespace tessaly
