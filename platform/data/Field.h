#pragma once
// A field of a dataset: its name, its kind and the value it holds in the dataset's current record.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Cp1252.h"
#include "platform/core/Stream.h"
#include "platform/core/Variant.h"

namespace tessaly::data {

class Dataset;

enum class FieldKind : uint8_t {
    String,
    Integer,
    Float,
    Currency,
    DateTime,
    Boolean,
    // Large objects: values kept as bytes and read through a stream.
    Blob,
    Memo,
    Graphic,
    FmtMemo,
};

// "string", "integer", "float", "currency", "datetime", "boolean", "blob", "memo", "graphic",
// "fmtmemo".
const char* FieldKindName(FieldKind kind);
bool IsLargeObject(FieldKind kind);

// What a dataset tells of a field when it opens.
struct FieldDef {
    AnsiString name;
    FieldKind kind;
    bool operator==(const FieldDef&) const = default;
};

// A field belongs to its dataset and stays valid until the dataset is freed or opened again over
// different columns.
class Field {
public:
    Field(Dataset& dataset, int index, AnsiString name, FieldKind kind)
        : dataset_(dataset), index_(index), name_(std::move(name)), kind_(kind) {}
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    Dataset& DataSet() const { return dataset_; }
    int Index() const { return index_; }  // 0 for the first field
    const AnsiString& Name() const { return name_; }
    FieldKind Kind() const { return kind_; }

    // The value in the current record: Null for a null value and while the dataset is closed or
    // has no record. Integers beyond 32 bits are Doubles; a large object gives its bytes as a
    // String (a memo's text in cp1252).
    Variant Value() const;
    bool IsNull() const;
    // A read stream of its own over the value's bytes: a large object's bytes (a memo's text in
    // cp1252), or the text of any other value; empty for null.
    std::unique_ptr<Stream> OpenRead() const;

private:
    Dataset& dataset_;
    int index_;
    AnsiString name_;
    FieldKind kind_;
};

}  // namespace tessaly::data
