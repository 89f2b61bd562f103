// JSON to stream: each record's keys checked and converted (CV_JsonFields.h), absent ones given
// their defaults, and the fields written in stream order as TcvReport::SaveToStream writes them.
#include <QScopedValueRollback>
#include <algorithm>
#include <map>

#include "engine/report/CV_JsonCodecs.h"
#include "engine/model/CV_Objects.h"
#include "engine/model/CV_StreamForms.h"
#include "engine/report/CV_TemplateJson.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

using json::Kind;
using json::Member;
using json::Node;
using namespace jsonform;

enum : uint8_t { tagValues = 254, tagPage = 255 };
// An object record names its page in one byte.
constexpr size_t kMaxObjectPages = 256;

// The keys a record took; any other key of the object is refused.
class Taken {
public:
    void Add(const Member* m) { members_.push_back(m); }
    void CheckAll(const Node& object, const std::string& what, std::initializer_list<std::string_view> others) const {
        for (const Member& m : object.members) {
            const bool known = std::find(members_.begin(), members_.end(), &m) != members_.end() ||
                               std::find(others.begin(), others.end(), m.key) != others.end();
            if (!known) Refuse(m.place, "chiave sconosciuta " + what + ": \"" + Utf8ToCp1252(m.key) + "\".");
        }
    }

private:
    std::vector<const Member*> members_;
};

// The object that holds a field: the record's, or its nested group (nullptr when the group is absent).
const Node* Holder(const Node& object, const Field& f, Taken& taken) {
    if (!f.group) return &object;
    const Member* group = object.Find(f.group);
    if (!group) return nullptr;
    if (!group->value.Is(Kind::Object)) Expected(group->value, f.group, "un oggetto");
    taken.Add(group);
    return &group->value;
}

void CheckGroups(const Record& r, const Node& object, const Taken& taken) {
    for (const Field& f : r.fields) {
        const Member* group = f.group ? object.Find(f.group) : nullptr;
        if (group) taken.CheckAll(group->value, "in " + Quoted(f.group), {});
    }
}

Values RecordFromJson(const Record& r, const Node& object, std::initializer_list<std::string_view> others = {}) {
    Values v(r.fields.size());
    std::vector<bool> given(r.fields.size());
    Taken taken;
    for (size_t i = 0; i < r.fields.size(); ++i) {
        const Field& f = r.fields[i];
        if (f.derive) v[i].number = f.derive(object);
        const char* key = f.KeyFor(v);
        if (f.derive || !key || !f.StoredFor(v)) continue;
        const Node* holder = Holder(object, f, taken);
        const Member* m = holder ? holder->Find(key) : nullptr;
        if (m) {
            v[i] = FromJson(f, key, m->value);
            given[i] = true;
            taken.Add(m);
        } else if (f.required) {
            Refuse(object.place, "manca la chiave \"" + std::string(key) + "\" " + r.what + ".");
        } else if (!f.defaultOf) {
            v[i] = DefaultOf(f, v);
        }
    }
    for (size_t i = 0; i < r.fields.size(); ++i)
        if (!given[i] && r.fields[i].defaultOf) v[i] = DefaultOf(r.fields[i], v);
    taken.CheckAll(object, r.what, others);
    CheckGroups(r, object, taken);
    return v;
}

void WriteRecord(Stream& out, const Record& r, const Values& v) {
    for (size_t i = 0; i < r.fields.size(); ++i)
        if (r.fields[i].StoredFor(v)) WriteStored(out, r.fields[i].stored, v[i]);
}

const std::vector<Node>& ListOf(const Node& object, std::string_view key) {
    static const std::vector<Node> kNone;
    const Member* m = object.Find(key);
    if (!m) return kNone;
    if (!m->value.Is(Kind::Array)) Expected(m->value, key, "una lista");
    return m->value.items;
}

const std::vector<Node>& ObjectsOf(const Node& object, std::string_view key) {
    const std::vector<Node>& items = ListOf(object, key);
    for (const Node& item : items)
        if (!item.Is(Kind::Object)) Expected(item, key, "una lista di oggetti");
    return items;
}

void WriteList(Stream& out, const Record& r, const Node& root, std::string_view key) {
    const std::vector<Node>& items = ObjectsOf(root, key);
    out.WriteI32(static_cast<int32_t>(items.size()));
    for (const Node& item : items) WriteRecord(out, r, RecordFromJson(r, item));
}

void CheckFormat(const Node& root) {
    if (!root.Is(Kind::Object)) Refuse(root.place, "un modello in JSON \xE8 un oggetto: {\"format\": \"tessaly-template\", ...}.");
    const Member* format = root.Find("format");
    if (!format) Refuse(root.place, "manca la chiave \"format\": un modello in JSON comincia con \"format\": \"tessaly-template\".");
    if (!format->value.Is(Kind::String) || format->value.text != kJsonTemplateFormat)
        Refuse(format->value.place, "\"format\" deve valere \"tessaly-template\".");
    const Member* version = root.Find("version");
    if (!version) Refuse(root.place, "manca la chiave \"version\".");
    int64_t number = 0;
    if (!version->value.ToInteger(number) || number != kJsonTemplateVersion)
        Refuse(version->value.place, "\"version\": questo programma legge la versione " +
                                         std::to_string(kJsonTemplateVersion) + " del formato.");
}

// --- Objects ----------------------------------------------------------------------------------

int TypeOf(const Node& object) {
    const Member* m = object.Find("type");
    if (!m) Refuse(object.place, "manca la chiave \"type\" in un oggetto.");
    if (m->value.Is(Kind::String))
        for (const Name& n : ObjectTypes())
            if (m->value.text == n.name) return static_cast<int>(n.value);
    Refuse(m->value.place, "\"type\" deve essere memo, picture, band, subReport o addIn.");
}

AnsiString ClassOf(const Node& object) {
    const Member* m = object.Find("class");
    if (!m) Refuse(object.place, "manca la chiave \"class\" in un oggetto addIn.");
    return TextOf(m->value, "class", kMaxLineLength);
}

// Objects without a name get the first free one of their class (Memo1, Band2...), as the engine
// names new objects; a name given twice (in any case) is refused.
class ObjectNames {
public:
    void Take(const Node& object) {
        const Member* m = object.Find("name");
        if (!m) return;
        const AnsiString name = TextOf(m->value, "name", kMaxShortString);
        auto [it, added] = taken_.emplace(UpperCase(name), m->value.place);
        if (!added)
            Refuse(m->value.place,
                   "due oggetti con il nome \"" + name + "\" (l'altro a " + json::PlaceName(it->second) + ").");
    }

    void Give(Node& object) {
        if (object.Find("name")) return;
        const int type = TypeOf(object);
        const AnsiString base = ObjectBaseName(type == otAddIn ? ClassOf(object) : AnsiString(BuiltInClassName(type)));
        int& n = next_[UpperCase(base)];
        AnsiString name;
        do name = base + std::to_string(++n);
        while (taken_.count(UpperCase(name)));
        taken_.emplace(UpperCase(name), object.place);
        Node& value = object.Add("name", Node::String(Cp1252ToUtf8(name)));
        value.place = object.place;
    }

private:
    std::map<AnsiString, json::Place> taken_;
    std::map<AnsiString, int> next_;
};

void NameObjects(Node& root) {
    ObjectNames names;
    Node* pages = root.At("pages");
    if (!pages) return;
    for (Node& page : pages->items)
        if (Node* objects = page.Is(Kind::Object) ? page.At("objects") : nullptr)
            for (Node& object : objects->items)
                if (object.Is(Kind::Object)) names.Take(object);
    for (Node& page : pages->items)
        if (Node* objects = page.Is(Kind::Object) ? page.At("objects") : nullptr)
            for (Node& object : objects->items)
                if (object.Is(Kind::Object)) names.Give(object);
}

// A placeholder shows another page of the template.
void CheckSubPage(const Node& object, const Values& v, size_t page, size_t pageCount) {
    const int64_t shown = v.back().number;
    const Node& value = object.Find("subPage")->value;
    if (shown < 0 || static_cast<size_t>(shown) >= pageCount)
        Refuse(value.place, "\"subPage\": la pagina " + std::to_string(shown + 1) + " non esiste (il modello ne ha " +
                                std::to_string(pageCount) + ").");
    if (static_cast<size_t>(shown) == page)
        Refuse(value.place, "\"subPage\": un sottoreport non pu\xF2 mostrare la pagina in cui si trova.");
}

void WriteObject(Stream& out, const Node& object, size_t page, size_t pageCount) {
    const int type = TypeOf(object);
    const AnsiString className = type == otAddIn ? ClassOf(object) : AnsiString();
    const Record& r = ObjectRecord(type);
    const Values v = type == otAddIn ? RecordFromJson(r, object, {"type", "class"}) : RecordFromJson(r, object, {"type"});
    if (type == otSubReport) CheckSubPage(object, v, page, pageCount);
    out.WriteU8(static_cast<uint8_t>(type));
    if (type == otAddIn) WriteLineField(out, className);
    out.WriteU8(static_cast<uint8_t>(page));
    WriteRecord(out, r, v);
}

void WritePages(Stream& out, const Node& root) {
    const std::vector<Node>& pages = ObjectsOf(root, "pages");
    for (const Node& page : pages) {
        out.WriteU8(tagPage);
        WriteRecord(out, PageRecord(), RecordFromJson(PageRecord(), page, {"objects"}));
    }
    for (size_t p = 0; p < pages.size(); ++p) {
        const std::vector<Node>& objects = ObjectsOf(pages[p], "objects");
        if (!objects.empty() && p >= kMaxObjectPages)
            Refuse(pages[p].Find("objects")->place, "solo le prime 256 pagine di un modello possono avere oggetti.");
        for (const Node& object : objects) WriteObject(out, object, p, pages.size());
    }
}

}  // namespace

std::vector<uint8_t> JsonToTemplateStream(std::string_view text) {
    Node root = json::Parse(text);
    CheckFormat(root);
    const Values options = RecordFromJson(ReportRecord(), root, {"format", "version", "datasets", "pages", "values", "data"});
    NameObjects(root);
    QScopedValueRollback version(StreamVersion, CurrentStreamVersion);
    MemoryStream out;
    out.WriteU8(CurrentStreamVersion);
    WriteList(out, DatasetRecord(), root, "datasets");
    WriteRecord(out, ReportRecord(), options);
    WritePages(out, root);
    out.WriteU8(tagValues);
    WriteList(out, ValueRecord(), root, "values");
    const Member* data = root.Find("data");
    WriteStored(out, Stored::Lines, data ? FromJson(DataLinesField(), "data", data->value) : FieldValue());
    return out.TakeData();
}

}  // namespace tessaly
