#include "platform/core/Stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"

namespace tessaly {
namespace {

template <typename T>
T LoadLE(const uint8_t* p) {
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<T>(p[i]) << (8 * i);
    return v;
}

template <typename T>
void StoreLE(uint8_t* p, T v) {
    for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int64_t Resolve(int64_t offset, SeekOrigin origin, int64_t pos, int64_t size) {
    switch (origin) {
        case SeekOrigin::Begin: return offset;
        case SeekOrigin::Current: return pos + offset;
        case SeekOrigin::End: return size + offset;
    }
    return pos;
}

}  // namespace

int64_t Stream::Size() {
    int64_t pos = Position();
    int64_t end = Seek(0, SeekOrigin::End);
    Seek(pos, SeekOrigin::Begin);
    return end;
}

int64_t Stream::Remaining() {
    int64_t r = Size() - Position();
    return r > 0 ? r : 0;
}

void Stream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void Stream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::string Stream::ReadBytes(size_t count) {
    if (static_cast<uint64_t>(Remaining()) < count) throw EReadError();
    std::string s(count, '\0');
    ReadBuffer(s.data(), count);
    return s;
}

std::vector<uint8_t> Stream::ReadByteVector(size_t count) {
    if (static_cast<uint64_t>(Remaining()) < count) throw EReadError();
    std::vector<uint8_t> v(count);
    ReadBuffer(v.data(), count);
    return v;
}

uint8_t Stream::ReadU8() {
    uint8_t v;
    ReadBuffer(&v, 1);
    return v;
}

uint16_t Stream::ReadU16() {
    uint8_t b[2];
    ReadBuffer(b, 2);
    return LoadLE<uint16_t>(b);
}

uint32_t Stream::ReadU32() {
    uint8_t b[4];
    ReadBuffer(b, 4);
    return LoadLE<uint32_t>(b);
}

uint64_t Stream::ReadU64() {
    uint8_t b[8];
    ReadBuffer(b, 8);
    return LoadLE<uint64_t>(b);
}

double Stream::ReadDouble() {
    uint64_t bits = ReadU64();
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

void Stream::WriteU16(uint16_t v) {
    uint8_t b[2];
    StoreLE(b, v);
    WriteBuffer(b, 2);
}

void Stream::WriteU32(uint32_t v) {
    uint8_t b[4];
    StoreLE(b, v);
    WriteBuffer(b, 4);
}

void Stream::WriteU64(uint64_t v) {
    uint8_t b[8];
    StoreLE(b, v);
    WriteBuffer(b, 8);
}

void Stream::WriteDouble(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    WriteU64(bits);
}

int64_t Stream::CopyFrom(Stream& source, int64_t count) {
    if (count < 0) count = source.Remaining();
    uint8_t buffer[65536];
    int64_t done = 0;
    while (done < count) {
        size_t n = static_cast<size_t>(std::min<int64_t>(count - done, sizeof buffer));
        source.ReadBuffer(buffer, n);
        WriteBuffer(buffer, n);
        done += static_cast<int64_t>(n);
    }
    return done;
}

// --- MemoryStream

size_t MemoryStream::Read(void* buffer, size_t count) {
    int64_t size = Size();
    if (pos_ >= size) return 0;
    size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size - pos_));
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += static_cast<int64_t>(n);
    return n;
}

size_t MemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    size_t end = static_cast<size_t>(pos_) + count;
    if (end > data_.size()) {
        if (end > data_.capacity()) data_.reserve(std::max(end, data_.capacity() * 2));
        data_.resize(end);
    }
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ = static_cast<int64_t>(end);
    return count;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t p = Resolve(offset, origin, pos_, Size());
    pos_ = p < 0 ? 0 : p;
    return pos_;
}

std::vector<uint8_t> MemoryStream::TakeData() {
    pos_ = 0;
    return std::exchange(data_, {});
}

void MemoryStream::Clear() {
    data_.clear();
    pos_ = 0;
}

void MemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(size < 0 ? 0 : size));
    if (pos_ > Size()) pos_ = Size();
}

void MemoryStream::LoadFromFile(const std::filesystem::path& path) {
    FileStream f(path, FileStream::Mode::OpenRead);
    Clear();
    data_.resize(static_cast<size_t>(f.Size()));
    f.ReadBuffer(data_.data(), data_.size());
}

void MemoryStream::SaveToFile(const std::filesystem::path& path) const {
    AtomicFileStream f(path);
    f.WriteBuffer(data_.data(), data_.size());
    f.Commit();
}

// --- ByteViewStream

size_t ByteViewStream::Read(void* buffer, size_t count) {
    int64_t size = Size();
    if (pos_ >= size) return 0;
    size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size - pos_));
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += static_cast<int64_t>(n);
    return n;
}

size_t ByteViewStream::Write(const void*, size_t) { return 0; }

int64_t ByteViewStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t p = Resolve(offset, origin, pos_, Size());
    pos_ = p < 0 ? 0 : p;
    return pos_;
}

// --- FileStream

std::string PathForMessage(const std::filesystem::path& path) { return Utf8ToCp1252(path.string()); }

FileStream::FileStream(const std::filesystem::path& path, Mode mode) : path_(path) {
    const char* how = mode == Mode::OpenRead ? "rb" : mode == Mode::Create ? "w+b" : "r+b";
    file_ = std::fopen(path.c_str(), how);
    if (!file_) {
        std::string reason = Utf8ToCp1252(std::strerror(errno));
        const char* verb = mode == Mode::Create ? "Cannot create file" : "Cannot open file";
        throw EFileError(std::string(verb) + " \"" + PathForMessage(path) + "\". " + reason);
    }
    struct stat st;
    if (fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        throw EFileError("Cannot open file \"" + PathForMessage(path) + "\". Is a directory");
    }
}

FileStream::~FileStream() {
    if (file_) std::fclose(file_);
}

void FileStream::Close() {
    if (!file_) return;
    bool failed = std::fclose(file_) != 0;
    file_ = nullptr;
    if (failed) throw EWriteError();
}

size_t FileStream::Read(void* buffer, size_t count) { return file_ ? std::fread(buffer, 1, count, file_) : 0; }

size_t FileStream::Write(const void* buffer, size_t count) {
    return file_ ? std::fwrite(buffer, 1, count, file_) : 0;
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
    if (!file_) return 0;
    if (origin == SeekOrigin::Current && offset == 0) return ftello(file_);
    int64_t target = Resolve(offset, origin, ftello(file_), origin == SeekOrigin::End ? Size() : 0);
    fseeko(file_, target < 0 ? 0 : target, SEEK_SET);
    return ftello(file_);
}

int64_t FileStream::Size() {
    if (!file_) return 0;
    std::fflush(file_);
    struct stat st;
    return fstat(fileno(file_), &st) == 0 ? st.st_size : 0;
}

void FileStream::Flush() {
    if (file_ && std::fflush(file_) != 0) throw EWriteError();
}

// --- AtomicFileStream

std::filesystem::path AtomicFileStream::MakeTemporary(const std::filesystem::path& target) {
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        std::string reason = Utf8ToCp1252(std::strerror(errno));
        throw EFileError("Cannot create file \"" + PathForMessage(target) + "\". " + reason);
    }
    close(fd);
    return pattern;
}

// Follows the links one by one (as the system does, at most 40 of them) to the file that writing to
// `path` really changes, which need not exist yet.
AtomicFileStream::LinksFollowed AtomicFileStream::FollowLinks(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    fs::path file = path;
    for (int links = 0;; ++links) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(file, ec))) return {file};
        fs::path next = fs::read_symlink(file, ec);
        if (ec || links == 40) {
            std::string reason = Utf8ToCp1252(std::strerror(ec ? ec.value() : ELOOP));
            throw EFileError("Cannot create file \"" + PathForMessage(path) + "\". " + reason);
        }
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
}

AtomicFileStream::AtomicFileStream(const std::filesystem::path& target) : AtomicFileStream(FollowLinks(target)) {}

AtomicFileStream::AtomicFileStream(LinksFollowed target)
    : FileStream(MakeTemporary(target.file), Mode::Create), target_(std::move(target.file)), temporary_(Path()) {}

AtomicFileStream::~AtomicFileStream() {
    if (!committed_) {
        std::error_code ec;
        std::filesystem::remove(temporary_, ec);
    }
}

void AtomicFileStream::Commit() {
    Flush();
    Close();
    // Keep the permissions of the file we replace; a new file gets the usual 0666 less umask.
    std::error_code ec;
    auto st = std::filesystem::status(target_, ec);
    std::filesystem::perms perms;
    if (!ec && std::filesystem::exists(st)) {
        perms = st.permissions();
    } else {
        mode_t mask = umask(0);
        umask(mask);
        perms = static_cast<std::filesystem::perms>(0666 & ~mask);
    }
    std::filesystem::permissions(temporary_, perms, ec);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        std::string reason = Utf8ToCp1252(std::strerror(errno));
        throw EFileError("Cannot create file \"" + PathForMessage(target_) + "\". " + reason);
    }
    committed_ = true;
}

}  // namespace tessaly
