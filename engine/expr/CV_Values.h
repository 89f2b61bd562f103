#pragma once
// Named values: names that report texts use like variables, each bound to a data field, to a
// built-in variable or to an expression. A report owns one list (TcvReport::Values); the name
// resolver looks there first for every name without arguments.
//
// Stream form (little-endian):
//   count                4 bytes, signed
//   per value, in list order:
//     kind               1 byte (TcvValueKind)
//     other kind         4 bytes, signed
//     dataset name       1 length byte + bytes
//     field name         1 length byte + bytes
//     name               1 length byte + bytes
// In a component stream the report stores it as the binary property "Values.Data".
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/core/Cp1252.h"

namespace tessaly {

namespace data {
class Dataset;
class Field;
}  // namespace data

class Stream;
class TComponent;

enum TcvValueKind : uint8_t { vkNone = 0, vkDataField = 1, vkOther = 2 };

class TcvValue {
public:
    uint8_t Kind = vkNone;
    // For vkOther: the built-in variable's index (VariableNames), or ExpressionValueKind.
    int32_t OtherKind = 0;
    // For vkDataField: a dataset of the report's owner, or "Form.Dataset".
    AnsiString DataSetName;
    // For vkDataField the field's name; for an expression value the expression.
    AnsiString FieldName;
    // Found for DataSetName and FieldName when a document starts (BindDataFields); borrowed, valid
    // while that document is prepared.
    data::Dataset* BoundDataSet = nullptr;
    data::Field* BoundField = nullptr;
};

class TcvValues {
public:
    TcvValues();
    ~TcvValues();
    TcvValues(const TcvValues&) = delete;
    TcvValues& operator=(const TcvValues&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    // An index outside 0 .. Count() - 1 raises EListError.
    TcvValue& Items(int index) const;
    const AnsiString& Names(int index) const;
    void SetName(int index, AnsiString name);
    // Appends a value of kind vkNone with empty texts and an empty name; returns its index.
    int AddValue();
    void Clear();
    // The first value whose name matches, ignoring the case of a to z; nullptr for none.
    TcvValue* FindVariable(std::string_view name) const;
    // Makes the value `name` (added when there is none) evaluate `expression` wherever a report
    // text names it; both cp1252. Returns the value.
    TcvValue& SetExpression(const AnsiString& name, const AnsiString& expression);

    // A text longer than the stream form holds (255 bytes) is refused with EWriteError before
    // anything is written.
    void WriteValues(Stream& stream) const;
    // Replaces the list by the stream's values once all of them were read. EReadError for a
    // stream that ends early, a count it cannot hold, or a kind that does not exist.
    void ReadValues(Stream& stream);

    // At the start of a document: finds the dataset and field of every data-field value among the
    // datasets of `owner` (the report's owner) and of the application (see CV_Values.cpp);
    // failures become the preparation error. True when a value is bound to a large-object field
    // (pictures may come from fields).
    bool BindDataFields(const TComponent* owner);

private:
    struct Entry {
        AnsiString name;
        std::unique_ptr<TcvValue> value;
    };
    size_t Check(int index) const;

    std::vector<Entry> items_;
};

}  // namespace tessaly
