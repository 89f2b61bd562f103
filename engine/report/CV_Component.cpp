#include "engine/report/CV_Component.h"

#include <algorithm>

#include "platform/core/Errors.h"

namespace tessaly {

namespace {

constexpr char kSignature[4] = {'T', 'C', 'S', '1'};
constexpr int kMaxCollectionDepth = 16;

}  // namespace

// --- TWriter --------------------------------------------------------------------------------

void TWriter::WriteShortString(const std::string& s) {
    size_t n = std::min<size_t>(s.size(), 255);
    stream_.WriteU8(static_cast<uint8_t>(n));
    stream_.WriteBuffer(s.data(), n);
}

void TWriter::WriteName(const std::string& name) { WriteShortString(name); }

void TWriter::WriteComponent(TComponent& component) {
    stream_.WriteBuffer(kSignature, sizeof kSignature);
    WriteShortString(component.ClassName());
    WriteShortString(component.Name());
    component.WriteProperties(*this);
    component.DefineProperties(*this);
    stream_.WriteU8(0);
}

void TWriter::WriteIntegerValue(int32_t value) {
    WriteKind(ValueKind::Integer);
    stream_.WriteI32(value);
}

void TWriter::WriteStringValue(const AnsiString& value) {
    WriteKind(ValueKind::String);
    stream_.WriteU32(static_cast<uint32_t>(value.size()));
    stream_.WriteString(value);
}

void TWriter::WriteBooleanValue(bool value) { WriteKind(value ? ValueKind::True : ValueKind::False); }

void TWriter::WriteInteger(const std::string& name, int32_t value) {
    WriteName(name);
    WriteIntegerValue(value);
}

void TWriter::WriteString(const std::string& name, const AnsiString& value) {
    WriteName(name);
    WriteStringValue(value);
}

void TWriter::WriteBoolean(const std::string& name, bool value) {
    WriteName(name);
    WriteBooleanValue(value);
}

void TWriter::WriteSet(const std::string& name, const std::vector<std::string>& members) {
    WriteName(name);
    WriteKind(ValueKind::Set);
    size_t n = std::min<size_t>(members.size(), 255);
    stream_.WriteU8(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) WriteShortString(members[i]);
}

void TWriter::BeginCollection(const std::string& name) {
    WriteName(name);
    WriteKind(ValueKind::Collection);
}

void TWriter::BeginItem() { stream_.WriteU8(1); }
void TWriter::EndItem() { stream_.WriteU8(0); }
void TWriter::EndCollection() { stream_.WriteU8(0); }

void TWriter::DefineProperty(const std::string& name, ReadProc, WriteProc write, bool hasData) {
    if (!hasData || !write) return;
    WriteName(name);
    write(*this);
}

void TWriter::DefineBinaryProperty(const std::string& name, StreamProc, StreamProc write,
                                   bool hasData) {
    if (!hasData || !write) return;
    MemoryStream data;
    write(data);
    WriteName(name);
    WriteKind(ValueKind::Binary);
    stream_.WriteU32(static_cast<uint32_t>(data.Size()));
    stream_.WriteBuffer(data.Data().data(), data.Data().size());
}

// --- TReader --------------------------------------------------------------------------------

std::string TReader::ReadShortString() {
    uint8_t n = stream_.ReadU8();
    return stream_.ReadBytes(n);
}

void TReader::InvalidValue() { throw EReadError("Invalid property value"); }

ValueKind TReader::ReadKind() {
    uint8_t k = stream_.ReadU8();
    if (k < 1 || k > 7) InvalidValue();
    return static_cast<ValueKind>(k);
}

int32_t TReader::ReadInteger() {
    if (ReadKind() != ValueKind::Integer) InvalidValue();
    return stream_.ReadI32();
}

AnsiString TReader::ReadString() {
    if (ReadKind() != ValueKind::String) InvalidValue();
    uint32_t n = stream_.ReadU32();
    return stream_.ReadBytes(n);
}

bool TReader::ReadBoolean() {
    ValueKind k = ReadKind();
    if (k != ValueKind::False && k != ValueKind::True) InvalidValue();
    return k == ValueKind::True;
}

std::vector<std::string> TReader::ReadSet() {
    if (ReadKind() != ValueKind::Set) InvalidValue();
    uint8_t n = stream_.ReadU8();
    std::vector<std::string> members;
    for (int i = 0; i < n; ++i) members.push_back(ReadShortString());
    return members;
}

bool TReader::NextProperty(std::string& name) {
    if (!itemOpen_) return false;
    name = ReadShortString();
    if (name.empty()) itemOpen_ = false;
    return itemOpen_;
}

void TReader::ReadCollection(const std::function<void(TReader&)>& itemProc) {
    if (ReadKind() != ValueKind::Collection) InvalidValue();
    if (depth_ >= kMaxCollectionDepth) InvalidValue();
    ++depth_;
    bool outerOpen = itemOpen_;
    for (;;) {
        uint8_t marker = stream_.ReadU8();
        if (marker == 0) break;
        if (marker != 1) InvalidValue();
        itemOpen_ = true;
        itemProc(*this);
        std::string rest;
        while (NextProperty(rest)) SkipValue();
    }
    itemOpen_ = outerOpen;
    --depth_;
}

void TReader::SkipValue() { SkipValueOf(ReadKind(), depth_); }

void TReader::SkipValueOf(ValueKind kind, int depth) {
    switch (kind) {
        case ValueKind::Integer:
            stream_.ReadI32();
            break;
        case ValueKind::String:
        case ValueKind::Binary: {
            uint32_t n = stream_.ReadU32();
            if (n > static_cast<uint64_t>(stream_.Remaining())) throw EReadError();
            stream_.Seek(n, SeekOrigin::Current);
            break;
        }
        case ValueKind::False:
        case ValueKind::True:
            break;
        case ValueKind::Set: {
            uint8_t n = stream_.ReadU8();
            for (int i = 0; i < n; ++i) ReadShortString();
            break;
        }
        case ValueKind::Collection:
            if (depth >= kMaxCollectionDepth) InvalidValue();
            for (;;) {
                uint8_t marker = stream_.ReadU8();
                if (marker == 0) break;
                if (marker != 1) InvalidValue();
                for (std::string name = ReadShortString(); !name.empty(); name = ReadShortString())
                    SkipValueOf(ReadKind(), depth + 1);
            }
            break;
    }
}

void TReader::DefineProperty(const std::string& name, ReadProc read, WriteProc, bool) {
    if (handled_ || !read || name != property_) return;
    handled_ = true;
    read(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc, bool) {
    if (handled_ || !read || name != property_) return;
    handled_ = true;
    if (ReadKind() != ValueKind::Binary) InvalidValue();
    uint32_t n = stream_.ReadU32();
    std::vector<uint8_t> bytes = stream_.ReadByteVector(n);
    ByteViewStream data(bytes);
    read(data);
}

void TReader::ReadComponent(TComponent& component) {
    char signature[sizeof kSignature];
    stream_.ReadBuffer(signature, sizeof signature);
    if (!std::equal(signature, signature + sizeof signature, kSignature))
        throw EReadError("Invalid stream format");
    std::string className = ReadShortString();
    if (className != component.ClassName()) throw EReadError("Invalid stream format");
    component.SetName(ReadShortString());
    for (property_ = ReadShortString(); !property_.empty(); property_ = ReadShortString()) {
        try {
            handled_ = false;
            component.DefineProperties(*this);
            if (!handled_ && !component.ReadProperty(property_, *this))
                throw EReadError("Property " + property_ + " does not exist");
        } catch (const EAbort&) {
            throw;  // its messages were shown (a template that AutoLoad could not load)
        } catch (const EngineError& e) {
            throw EReadError("Error reading " + component.Name() + "." + property_ + ": " + e.Message());
        }
    }
}

void WriteComponentStream(Stream& stream, TComponent& component) { TWriter(stream).WriteComponent(component); }

void ReadComponentStream(Stream& stream, TComponent& component) { TReader(stream).ReadComponent(component); }

}  // namespace tessaly
