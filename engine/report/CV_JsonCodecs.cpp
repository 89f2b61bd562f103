#include "engine/report/CV_JsonCodecs.h"

#include <QByteArray>
#include <cstdio>
#include <limits>

#include "engine/expr/CV_FormatCode.h"
#include "engine/model/CV_StreamForms.h"
#include "platform/core/Errors.h"

namespace tessaly::jsonform {

namespace {

using json::Kind;
using json::Node;

constexpr Name kPictureKinds[] = {{0, "none"}, {1, "bitmap"}, {2, "metafile"}, {3, "icon"}, {4, "jpeg"}};
constexpr Name kFormatCategories[] = {{fcText, "text"}, {fcNumber, "number"}, {fcDate, "date"}, {fcTime, "time"},
                                      {fcBoolean, "boolean"}};

struct Range {
    int64_t low, high;
};

Range RangeOf(Stored stored) {
    switch (stored) {
        case Stored::U8: return {0, 0xFF};
        case Stored::I16: return {INT16_MIN, INT16_MAX};
        case Stored::U16: return {0, 0xFFFF};
        case Stored::U32: return {0, 0xFFFFFFFF};
        default: return {INT32_MIN, INT32_MAX};
    }
}

int64_t IntegerIn(const Node& node, std::string_view key, Range range) {
    int64_t value = 0;
    if (!node.ToInteger(value)) {
        if (node.Is(Kind::Number) && node.text.find_first_of(".eE") == std::string::npos)
            Refuse(node.place, Quoted(key) + ": " + node.text + " non \xE8 tra " + std::to_string(range.low) + " e " +
                                   std::to_string(range.high) + ".");
        Expected(node, key, "un numero intero");
    }
    if (value < range.low || value > range.high)
        Refuse(node.place, Quoted(key) + ": " + std::to_string(value) + " non \xE8 tra " + std::to_string(range.low) +
                               " e " + std::to_string(range.high) + ".");
    return value;
}

const Name* FindName(Names names, std::string_view text) {
    for (const Name& n : names)
        if (text == n.name) return &n;
    return nullptr;
}

const Name* FindValue(Names names, int64_t value) {
    for (const Name& n : names)
        if (n.value == value) return &n;
    return nullptr;
}

// A name of the table, or a number that the stored width holds.
int64_t NameOrNumber(const Node& node, std::string_view key, Names names, Range range) {
    if (!node.Is(Kind::String)) return IntegerIn(node, key, range);
    if (const Name* n = FindName(names, node.text)) return n->value;
    std::string allowed;
    for (const Name& n : names) allowed += (allowed.empty() ? "" : ", ") + std::string(n.name);
    Refuse(node.place, Quoted(key) + ": \"" + Utf8ToCp1252(node.text) + "\" non \xE8 un valore ammesso (" + allowed + ").");
}

Node NameOrInteger(Names names, int64_t value) {
    const Name* n = FindValue(names, value);
    return n ? Node::String(n->name) : Node::Integer(value);
}

// --- Bit groups -------------------------------------------------------------------------------

Node BitsToJson(Names names, int64_t word) {
    Node list = Node::Array();
    int64_t rest = word;
    for (const Name& n : names)
        if (n.value != 0 && (rest & n.mask) == n.value) {
            list.Append(Node::String(n.name));
            rest &= ~n.mask;
        }
    if (rest != 0) list.Append(Node::Integer(rest));
    return list;
}

int64_t BitsFromJson(const Field& f, std::string_view key, const Node& node) {
    if (!node.Is(Kind::Array)) Expected(node, key, "una lista di nomi");
    const Range range = RangeOf(f.stored);
    int64_t word = 0, named = 0;
    for (const Node& item : node.items) {
        const int64_t value = NameOrNumber(item, key, f.names, range);
        const Name* n = item.Is(Kind::String) ? FindName(f.names, item.text) : nullptr;
        if (n && (named & n->mask) != 0)
            Refuse(item.place, Quoted(key) + ": \"" + n->name + "\" contrasta con un valore precedente.");
        if (n) named |= n->mask;
        word |= value;
    }
    return word;
}

// --- Colours and format codes -----------------------------------------------------------------

Node ColorToJson(Names names, int64_t color) {
    if ((color & 0xFF000000) != 0) return NameOrInteger(names, color);
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 0xFF), unsigned(color >> 8 & 0xFF),
                  unsigned(color >> 16 & 0xFF));
    return Node::String(text);
}

int64_t ColorFromJson(const Field& f, std::string_view key, const Node& node) {
    const std::string& t = node.text;
    if (!node.Is(Kind::String) || t.empty() || t[0] != '#') return NameOrNumber(node, key, f.names, RangeOf(f.stored));
    if (t.size() != 7 || t.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
        Refuse(node.place, Quoted(key) + ": un colore si scrive \"#RRGGBB\" (cifre esadecimali).");
    const uint32_t rgb = static_cast<uint32_t>(std::stoul(t.substr(1), nullptr, 16));
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

struct FormatPart {
    const char* key;
    int shift, bits;
    Names names;
};
const FormatPart kFormatParts[] = {{"category", 24, 4, kFormatCategories}, {"index", 16, 8, {}},
                                   {"decimals", 8, 8, {}}, {"separator", 0, 8, {}}, {"reserved", 28, 4, {}}};

int64_t PartOf(int64_t code, const FormatPart& p) { return code >> p.shift & ((1 << p.bits) - 1); }

Node FormatToJson(int64_t code, int64_t byDefault) {
    Node object = Node::Object();
    for (const FormatPart& p : kFormatParts) {
        const int64_t v = PartOf(code, p);
        if (v == PartOf(byDefault, p)) continue;
        object.Add(p.key, p.shift == 0 ? Node::String(Cp1252ToUtf8(std::string(1, char(v)))) : NameOrInteger(p.names, v));
    }
    return object;
}

int64_t FormatFromJson(const Field& f, std::string_view key, const Node& node) {
    if (!node.Is(Kind::Object)) Expected(node, key, "un oggetto");
    int64_t code = f.byDefault;
    for (const json::Member& m : node.members) {
        const FormatPart* part = nullptr;
        for (const FormatPart& p : kFormatParts)
            if (m.key == p.key) part = &p;
        if (!part) Refuse(m.place, "chiave sconosciuta in " + Quoted(key) + ": \"" + Utf8ToCp1252(m.key) + "\".");
        int64_t v = 0;
        if (part->shift == 0) {
            const AnsiString separator = TextOf(m.value, m.key, 1);
            if (separator.size() != 1) Expected(m.value, m.key, "un solo carattere");
            v = static_cast<uint8_t>(separator[0]);
        } else {
            v = NameOrNumber(m.value, m.key, part->names, {0, (1 << part->bits) - 1});
        }
        const int64_t mask = int64_t((1 << part->bits) - 1) << part->shift;
        code = (code & ~mask) | v << part->shift;
    }
    return code;
}

// --- Pictures, bytes, value kinds -------------------------------------------------------------

std::string Base64(std::string_view bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64().toStdString();
}

AnsiString FromBase64(const Node& node, std::string_view key) {
    if (!node.Is(Kind::String)) Expected(node, key, "un testo in base64");
    auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(node.text),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) Refuse(node.place, Quoted(key) + ": il testo non \xE8 base64 valido.");
    return decoded.decoded.toStdString();
}

FieldValue PictureFromJson(std::string_view key, const Node& node) {
    if (!node.Is(Kind::Object)) Expected(node, key, "un oggetto");
    FieldValue v;
    for (const json::Member& m : node.members) {
        if (m.key == "kind") v.number = NameOrNumber(m.value, m.key, kPictureKinds, {0, 0xFF});
        else if (m.key == "data") v.text = FromBase64(m.value, m.key);
        else Refuse(m.place, "chiave sconosciuta in " + Quoted(key) + ": \"" + Utf8ToCp1252(m.key) + "\".");
    }
    return v;
}

Node PictureToJson(const FieldValue& v) {
    Node object = Node::Object();
    object.Add("kind", NameOrInteger(kPictureKinds, v.number));
    if (!v.text.empty()) object.Add("data", Node::String(Base64(v.text)));
    return object;
}

// A kind without a name: [kind, other kind].
int64_t ValueKindFromJson(const Field& f, std::string_view key, const Node& node) {
    if (node.Is(Kind::String)) return NameOrNumber(node, key, f.names, {});
    if (!node.Is(Kind::Array) || node.items.size() != 2) Expected(node, key, "un nome o una coppia [tipo, altro tipo]");
    const int64_t kind = IntegerIn(node.items[0], key, RangeOf(Stored::U8));
    const int64_t other = IntegerIn(node.items[1], key, RangeOf(Stored::I32));
    return kind << 32 | static_cast<uint32_t>(other);
}

Node ValueKindToJson(Names names, int64_t code) {
    if (const Name* n = FindValue(names, code)) return Node::String(n->name);
    Node pair = Node::Array();
    pair.Append(Node::Integer(code >> 32));
    pair.Append(Node::Integer(static_cast<int32_t>(code & 0xFFFFFFFF)));
    return pair;
}

Node LinesToJson(const StringList& lines) {
    Node list = Node::Array();
    for (int i = 0; i < lines.Count(); ++i) list.Append(Node::String(Cp1252ToUtf8(lines[i])));
    return list;
}

StringList LinesFromJson(std::string_view key, const Node& node) {
    if (!node.Is(Kind::Array)) Expected(node, key, "una lista di testi");
    if (node.items.size() > size_t(kMaxLineCount))
        Refuse(node.place, Quoted(key) + ": al massimo " + std::to_string(kMaxLineCount) + " righe.");
    StringList lines;
    for (const Node& item : node.items) lines.Add(TextOf(item, key, kMaxLineLength));
    return lines;
}

}  // namespace

void Refuse(json::Place place, const std::string& message) { throw json::ParseError(place, message); }

void Expected(const Node& node, std::string_view key, const char* what) {
    Refuse(node.place, Quoted(key) + " deve essere " + what + ".");
}

std::string Quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

AnsiString TextOf(const Node& node, std::string_view key, size_t maxLength) {
    if (!node.Is(Kind::String)) Expected(node, key, "un testo");
    AnsiString text;
    if (!TryUtf8ToCp1252(node.text, text))
        Refuse(node.place, Quoted(key) + ": il testo ha caratteri che un modello non pu\xF2 contenere (Windows-1252).");
    if (text.size() > maxLength)
        Refuse(node.place, Quoted(key) + ": il testo supera i " + std::to_string(maxLength) + " caratteri.");
    return text;
}

FieldValue DefaultOf(const Field& f, const Values& values) {
    FieldValue v;
    v.number = f.defaultOf ? f.defaultOf(values) : f.byDefault;
    v.text = f.textByDefault;
    return v;
}

bool IsDefault(const Field& f, const FieldValue& v, const Values& values) {
    const FieldValue d = DefaultOf(f, values);
    return v.number == d.number && v.text == d.text && v.lines.Empty();
}

Node ToJson(const Field& f, const FieldValue& v) {
    switch (f.shape) {
        case Shape::Integer: return Node::Integer(v.number);
        case Shape::Boolean:
            return v.number == 0 || v.number == f.trueValue ? Node::Boolean(v.number != 0) : Node::Integer(v.number);
        case Shape::Names: return NameOrInteger(f.names, v.number);
        case Shape::Bits: return BitsToJson(f.names, v.number);
        case Shape::Color: return ColorToJson(f.names, v.number);
        case Shape::Format: return FormatToJson(v.number, f.byDefault);
        case Shape::Text: return Node::String(Cp1252ToUtf8(v.text));
        case Shape::Lines: return LinesToJson(v.lines);
        case Shape::PageNumber: return Node::Integer(v.number + 1);
        case Shape::ValueKind: return ValueKindToJson(f.names, v.number);
        case Shape::Picture: return PictureToJson(v);
        case Shape::Bytes: return Node::String(Base64(v.text));
    }
    return {};
}

FieldValue FromJson(const Field& f, std::string_view key, const Node& node) {
    FieldValue v;
    const Range range = RangeOf(f.stored);
    switch (f.shape) {
        case Shape::Integer: v.number = IntegerIn(node, key, range); break;
        case Shape::Boolean:
            v.number = node.Is(Kind::Boolean) ? (node.boolean ? f.trueValue : 0) : IntegerIn(node, key, range);
            break;
        case Shape::Names: v.number = NameOrNumber(node, key, f.names, range); break;
        case Shape::Bits: v.number = BitsFromJson(f, key, node); break;
        case Shape::Color: v.number = ColorFromJson(f, key, node); break;
        case Shape::Format: v.number = FormatFromJson(f, key, node); break;
        case Shape::Text: v.text = TextOf(node, key, MaxTextLength(f.stored)); break;
        case Shape::Lines: v.lines = LinesFromJson(key, node); break;
        case Shape::PageNumber: v.number = IntegerIn(node, key, {int64_t{INT32_MIN} + 1, int64_t{INT32_MAX} + 1}) - 1; break;
        case Shape::ValueKind: v.number = ValueKindFromJson(f, key, node); break;
        case Shape::Picture: v = PictureFromJson(key, node); break;
        case Shape::Bytes: v.text = FromBase64(node, key); break;
    }
    return v;
}

FieldValue ReadStored(Stream& stream, Stored stored) {
    FieldValue v;
    switch (stored) {
        case Stored::U8: v.number = stream.ReadU8(); break;
        case Stored::I16: v.number = stream.ReadI16(); break;
        case Stored::U16: v.number = stream.ReadU16(); break;
        case Stored::I32: v.number = stream.ReadI32(); break;
        case Stored::U32: v.number = stream.ReadU32(); break;
        case Stored::Short: v.text = ReadShortString(stream); break;
        case Stored::Line: v.text = ReadLineField(stream); break;
        case Stored::Lines: ReadLineList(stream, v.lines); break;
        case Stored::ValueKind: v.number = int64_t{stream.ReadU8()} << 32, v.number |= stream.ReadU32(); break;
        case Stored::Picture: {
            v.number = stream.ReadU8();
            const int64_t end = stream.ReadU32();
            if (end < stream.Position()) throw EReadError();
            v.text = stream.ReadBytes(static_cast<size_t>(end - stream.Position()));
            break;
        }
        case Stored::Rest: break;
    }
    return v;
}

void WriteStored(Stream& stream, Stored stored, const FieldValue& v) {
    switch (stored) {
        case Stored::U8: stream.WriteU8(static_cast<uint8_t>(v.number)); break;
        case Stored::I16: case Stored::U16: stream.WriteU16(static_cast<uint16_t>(v.number)); break;
        case Stored::I32: case Stored::U32: stream.WriteU32(static_cast<uint32_t>(v.number)); break;
        case Stored::Short: WriteShortString(stream, v.text); break;
        case Stored::Line: WriteLineField(stream, v.text); break;
        case Stored::Lines: WriteLineList(stream, v.lines); break;
        case Stored::ValueKind: stream.WriteU8(static_cast<uint8_t>(v.number >> 32)), stream.WriteU32(uint32_t(v.number)); break;
        case Stored::Picture: {
            stream.WriteU8(static_cast<uint8_t>(v.number));
            const int64_t end = stream.Position() + 4 + static_cast<int64_t>(v.text.size());
            if (end > UINT32_MAX) throw EWriteError();
            stream.WriteU32(static_cast<uint32_t>(end));
            stream.WriteString(v.text);
            break;
        }
        case Stored::Rest: stream.WriteString(v.text); break;
    }
}

}  // namespace tessaly::jsonform
