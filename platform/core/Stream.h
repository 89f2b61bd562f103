#pragma once
// Byte streams with a position: memory, read-only views and files. All multi-byte values are
// little-endian. Reading past the end raises EReadError ("Stream read error"); a short write raises
// EWriteError.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
    virtual ~Stream() = default;
    // Raw transfer: returns the number of bytes moved, which may be short.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;  // returns the new position
    virtual int64_t Size();

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    int64_t Remaining();  // bytes between the position and the end, never negative

    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Reads count bytes, checking first that the stream holds them (no allocation otherwise).
    std::string ReadBytes(size_t count);
    std::vector<uint8_t> ReadByteVector(size_t count);

    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    uint64_t ReadU64();
    int8_t ReadI8() { return static_cast<int8_t>(ReadU8()); }
    int16_t ReadI16() { return static_cast<int16_t>(ReadU16()); }
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    int64_t ReadI64() { return static_cast<int64_t>(ReadU64()); }
    double ReadDouble();

    void WriteU8(uint8_t v) { WriteBuffer(&v, 1); }
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteU64(uint64_t v);
    void WriteI8(int8_t v) { WriteU8(static_cast<uint8_t>(v)); }
    void WriteI16(int16_t v) { WriteU16(static_cast<uint16_t>(v)); }
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    void WriteI64(int64_t v) { WriteU64(static_cast<uint64_t>(v)); }
    void WriteDouble(double v);
    void WriteString(const std::string& bytes) { WriteBuffer(bytes.data(), bytes.size()); }

    // Copies count bytes from source's position (all that remains when count < 0).
    int64_t CopyFrom(Stream& source, int64_t count = -1);
};

// A growable stream in memory; owns its bytes.
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }

    const std::vector<uint8_t>& Data() const { return data_; }
    std::vector<uint8_t> TakeData();
    void Clear();
    void SetSize(int64_t size);
    void LoadFromFile(const std::filesystem::path& path);
    void SaveToFile(const std::filesystem::path& path) const;

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// A read-only view over bytes that someone else owns.
class ByteViewStream : public Stream {
public:
    explicit ByteViewStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    ByteViewStream(const void* data, size_t size)
        : bytes_(static_cast<const uint8_t*>(data), size) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;  // always 0
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

private:
    std::span<const uint8_t> bytes_;
    int64_t pos_ = 0;
};

class FileStream : public Stream {
public:
    enum class Mode { OpenRead, Create, OpenReadWrite };
    // Raises EFileError ("Cannot open file ..." / "Cannot create file ...") on failure.
    FileStream(const std::filesystem::path& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;
    void Flush();  // raises EWriteError when the data cannot reach the disk
    const std::filesystem::path& Path() const { return path_; }

protected:
    void Close();

private:
    std::filesystem::path path_;
    FILE* file_ = nullptr;
};

// Writes a file safely: the bytes go to a new temporary file in the target's folder, and Commit()
// renames it over the target. Without Commit() (an error on the way) the temporary file is
// removed and the old target stays as it was. A target that is a symbolic link is followed: the
// link stays, and the file it leads to is the one replaced.
class AtomicFileStream : public FileStream {
public:
    explicit AtomicFileStream(const std::filesystem::path& target);
    ~AtomicFileStream() override;
    void Commit();

private:
    struct LinksFollowed {
        std::filesystem::path file;
    };
    explicit AtomicFileStream(LinksFollowed target);
    static LinksFollowed FollowLinks(const std::filesystem::path& path);
    static std::filesystem::path MakeTemporary(const std::filesystem::path& target);
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool committed_ = false;
};

// The file's path as text for messages (cp1252).
std::string PathForMessage(const std::filesystem::path& path);

}  // namespace tessaly
