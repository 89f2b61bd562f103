#pragma once
// What the JSON form of a template holds, record by record: every field of the version 29
// template stream (CV_Template.h) in stream order, with its key in JSON, how it is stored, how it
// looks (CV_JsonCodecs.h) and its default, which a document may leave out. Both directions
// (CV_TemplateJsonRead.cpp, CV_TemplateJsonWrite.cpp) walk these tables, so that the two forms
// cannot disagree about a field.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/core/Cp1252.h"
#include "platform/core/Json.h"
#include "platform/core/StringList.h"

namespace tessaly::jsonform {

// How a field is stored in the stream.
enum class Stored : uint8_t {
    U8, I16, U16, I32, U32,
    Short,      // short string
    Line,       // line list of one line
    Lines,      // line list
    ValueKind,  // a named value's kind byte and its 32-bit other kind
    Picture,    // kind byte, 32-bit end position, the picture's bytes
    Rest,       // an add-in object's own bytes, up to the object's end
};

// How it looks in JSON.
enum class Shape : uint8_t {
    Integer,
    Boolean,     // true or false for trueValue and 0, any other value as a number
    Names,       // a name of `names`, or a number
    Bits,        // a list of names of `names` (bit groups by mask) and one number for the rest
    Color,       // "#RRGGBB", a name of `names`, or a number
    Format,      // an object: category, index, decimals, separator, reserved
    Text,
    Lines,       // a list of texts
    PageNumber,  // a page counted from 1 (stored from 0)
    ValueKind,   // "none", "field", "expression", a variable's name, or [kind, other kind]
    Picture,     // {"kind": ..., "data": base64}
    Bytes,       // base64
};

// A named code; in a Bits table, `mask` is the group of bits that `value` sets (a lone bit: mask
// and value alike).
struct Name {
    int64_t value;
    const char* name;
    int64_t mask = 0;
};
using Names = std::span<const Name>;

// One field's value: numbers (a value kind: kind << 32 | other kind as unsigned), texts and
// bytes (cp1252), lines.
struct FieldValue {
    int64_t number = 0;
    AnsiString text;
    StringList lines;
};
using Values = std::vector<FieldValue>;

struct Field {
    const char* key = nullptr;    // nullptr: kept out of JSON (bytes without meaning, a kind that
                                  // `derive` finds)
    Stored stored = Stored::U8;
    Shape shape = Shape::Integer;
    int64_t byDefault = 0;
    const char* textByDefault = "";
    Names names = {};
    const char* group = nullptr;  // the nested object that holds the key ("font", "margins")
    bool required = false;
    int64_t trueValue = 1;
    // Hooks, given the record's values: a key, a default or a presence that depend on other
    // fields (those before it for keys and presence), and a value found from the JSON object.
    const char* (*keyOf)(const Values& values) = nullptr;
    int64_t (*defaultOf)(const Values& values) = nullptr;
    bool (*storedIf)(const Values& values) = nullptr;
    int64_t (*derive)(const json::Node& object) = nullptr;

    const char* KeyFor(const Values& values) const { return keyOf ? keyOf(values) : key; }
    bool StoredFor(const Values& values) const { return !storedIf || storedIf(values); }
};

struct Record {
    std::string what;  // for messages, with its preposition: "in un oggetto band"
    std::vector<Field> fields;
    // The keys written first, in this order, before the other fields in stream order.
    std::vector<const char*> leadingKeys = {};
};

// The report's options at the start of the pages section.
const Record& ReportRecord();
// An entry of the dataset section.
const Record& DatasetRecord();
// A named value.
const Record& ValueRecord();
// A page record.
const Record& PageRecord();
// An object of a type code (0 to 3, 10): the common part and the class's own.
const Record& ObjectRecord(int type);

// The report's Data lines, after the named values.
const Field& DataLinesField();
// The names of the object type codes, as "type" gives them.
Names ObjectTypes();
// Texts up to these lengths (bytes) fit the stream.
size_t MaxTextLength(Stored stored);

}  // namespace tessaly::jsonform
