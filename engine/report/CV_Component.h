#pragma once
// Component streams: the stored properties of a component (platform/core/Component.h) go to and
// come from a stream.
//
// Component stream (all integers little-endian; a short string is a length byte and its bytes):
//   "TCS1"                       signature
//   short string                 class name
//   short string                 component name
//   properties                   each: short string name (not empty), kind byte, value
//   00                           end of the properties
// Kinds and values:
//   1 integer    4 bytes, signed          5 set         count byte, then that many short strings
//   2 string     4-byte length, bytes     6 binary      4-byte length, then the property's own bytes
//   3 false, 4 true   no value            7 collection  items, each 01 then properties then 00;
//                                                       00 ends the collection
// Published properties are written only when they differ from their default; defined properties
// (DefineProperties) follow them.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Stream.h"

namespace tessaly {

class TReader;
class TWriter;

// What reader and writer share: the place where a component defines extra stored properties.
class TFiler {
public:
    using ReadProc = std::function<void(TReader&)>;
    using WriteProc = std::function<void(TWriter&)>;
    using StreamProc = std::function<void(Stream&)>;

    virtual ~TFiler() = default;
    // A property stored as an ordinary value; read may be empty (the value then goes to the
    // published property of that name).
    virtual void DefineProperty(const std::string& name, ReadProc read, WriteProc write, bool hasData) = 0;
    // A property stored as raw bytes.
    virtual void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write,
                                      bool hasData) = 0;
};

enum class ValueKind : uint8_t {
    Integer = 1,
    String = 2,
    False = 3,
    True = 4,
    Set = 5,
    Binary = 6,
    Collection = 7,
};

class TWriter final : public TFiler {
public:
    explicit TWriter(Stream& stream) : stream_(stream) {}
    void WriteComponent(TComponent& component);

    void WriteInteger(const std::string& name, int32_t value);
    void WriteString(const std::string& name, const AnsiString& value);
    void WriteBoolean(const std::string& name, bool value);
    void WriteSet(const std::string& name, const std::vector<std::string>& members);
    // A collection: Begin, then per item BeginItem, the item's Write* calls, EndItem; then End.
    void BeginCollection(const std::string& name);
    void BeginItem();
    void EndItem();
    void EndCollection();

    // Values of a property that DefineProperty writes through its write procedure.
    void WriteIntegerValue(int32_t value);
    void WriteStringValue(const AnsiString& value);
    void WriteBooleanValue(bool value);

    void DefineProperty(const std::string& name, ReadProc read, WriteProc write, bool hasData) override;
    void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write,
                              bool hasData) override;

private:
    void WriteShortString(const std::string& s);
    void WriteName(const std::string& name);
    void WriteKind(ValueKind kind) { stream_.WriteU8(static_cast<uint8_t>(kind)); }

    Stream& stream_;
};

// Errors while reading raise EReadError with the component's name and the property.
class TReader final : public TFiler {
public:
    explicit TReader(Stream& stream) : stream_(stream) {}
    // Reads a component stream into `component`; the class name must be the component's.
    void ReadComponent(TComponent& component);

    // The value of the property being read, of the kind the caller expects.
    int32_t ReadInteger();
    AnsiString ReadString();
    bool ReadBoolean();
    std::vector<std::string> ReadSet();
    // Reads a collection's items: itemProc is called once per item and reads its properties with
    // NextProperty / the Read* calls until NextProperty returns false.
    void ReadCollection(const std::function<void(TReader&)>& itemProc);
    // Within a collection item: the name of the next property, or false at the item's end.
    bool NextProperty(std::string& name);
    void SkipValue();

    void DefineProperty(const std::string& name, ReadProc read, WriteProc write, bool hasData) override;
    void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write,
                              bool hasData) override;

private:
    std::string ReadShortString();
    ValueKind ReadKind();
    void SkipValueOf(ValueKind kind, int depth);
    [[noreturn]] void InvalidValue();

    Stream& stream_;
    std::string property_;  // the property being read
    bool pending_ = false;  // the kind byte of property_ has been read
    ValueKind kind_ = ValueKind::Integer;
    bool handled_ = false;  // DefineProperties took the property being read
    bool itemOpen_ = false;  // inside a collection item whose end has not been read
    int depth_ = 0;          // collections being read
};

void WriteComponentStream(Stream& stream, TComponent& component);
void ReadComponentStream(Stream& stream, TComponent& component);

}  // namespace tessaly
