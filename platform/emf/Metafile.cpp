#include "platform/emf/Metafile.h"

#include <cstring>
#include <limits>

namespace tessaly::emf {

namespace {

// The header fields that decide how much to read: type, size, signature and total size.
struct ImageStart {
    uint32_t headerSize = 0;
    uint32_t totalSize = 0;
};

ImageStart CheckImageStart(const uint8_t* p) {
    ImageStart s;
    if (LoadU32(p) != EMR_HEADER) throw EInvalidMetafile();
    s.headerSize = LoadU32(p + 4);
    if (s.headerSize < kHeaderBaseSize || s.headerSize % 4 != 0) throw EInvalidMetafile();
    if (LoadU32(p + 40) != kEmfSignature) throw EInvalidMetafile();
    s.totalSize = LoadU32(p + 48);
    if (s.totalSize < s.headerSize || s.totalSize % 4 != 0) throw EInvalidMetafile();
    return s;
}

// Reads the header's first 88 bytes into `start` and gives the image's total size, once the stream
// is known to hold the whole image (nothing is allocated before).
uint32_t ReadImageStart(Stream& stream, uint8_t* start) {
    stream.ReadBuffer(start, 8);
    if (LoadU32(start) != EMR_HEADER || LoadU32(start + 4) < kHeaderBaseSize) throw EInvalidMetafile();
    stream.ReadBuffer(start + 8, kHeaderBaseSize - 8);
    const ImageStart s = CheckImageStart(start);
    if (stream.Remaining() < int64_t(s.totalSize) - int64_t(kHeaderBaseSize)) throw EReadError();
    return s.totalSize;
}

}  // namespace

bool StartsLikeEnhancedMetafile(std::span<const uint8_t> bytes) {
    return bytes.size() >= 44 && LoadU32(bytes.data()) == EMR_HEADER && LoadU32(bytes.data() + 40) == kEmfSignature;
}

int32_t MulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    __int128 n = static_cast<__int128>(a) * b;
    bool negative = (n < 0) != (c < 0);
    __int128 an = n < 0 ? -n : n;
    __int128 ac = c < 0 ? -static_cast<__int128>(c) : c;
    __int128 q = (an + ac / 2) / ac;
    if (negative) q = -q;
    if (q > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (q < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(q);
}

Metafile::Metafile(ConstByteBlock block, std::span<const uint8_t> bytes) : block_(std::move(block)), bytes_(bytes) {
    auto header = ParseHeader(RecordView(bytes_.first(LoadU32(bytes_.data() + 4))));
    if (!header) throw EInvalidMetafile();
    header_ = std::move(*header);
    auto count = CheckRecordChain(bytes_.data(), bytes_.size());
    if (!count) throw EInvalidMetafile();
    // Writers count one record less than they write (the header or EOF left out), or miscount
    // more: a sound chain that ends in EOF is read whatever the header says.
    recordCount_ = *count;
}

Metafile Metafile::ReadFrom(Stream& stream) {
    uint8_t start[kHeaderBaseSize];
    const uint32_t size = ReadImageStart(stream, start);
    ByteBlock block = AllocateByteBlock(size);
    std::memcpy(block.get(), start, kHeaderBaseSize);
    stream.ReadBuffer(block.get() + kHeaderBaseSize, size - kHeaderBaseSize);
    const std::span<const uint8_t> image(block.get(), size);
    return Metafile(std::move(block), image);
}

uint32_t Metafile::ImageSize(std::span<const uint8_t> start) {
    if (start.size() < 8) throw EReadError();
    if (LoadU32(start.data()) != EMR_HEADER || LoadU32(start.data() + 4) < kHeaderBaseSize)
        throw EInvalidMetafile();
    if (start.size() < kHeaderBaseSize) throw EReadError();
    return CheckImageStart(start.data()).totalSize;
}

Metafile Metafile::FromBytes(std::span<const uint8_t> bytes) {
    const uint32_t size = ImageSize(bytes);
    if (bytes.size() < size) throw EReadError();
    ByteBlock block = AllocateByteBlock(size);
    std::memcpy(block.get(), bytes.data(), size);
    const std::span<const uint8_t> image(block.get(), size);
    return Metafile(std::move(block), image);
}

Metafile Metafile::FromBlock(ConstByteBlock block, std::span<const uint8_t> bytes) {
    const uint32_t size = ImageSize(bytes);
    if (bytes.size() < size) throw EReadError();
    return Metafile(std::move(block), bytes.first(size));
}

Metafile Metafile::LoadFromFile(const std::filesystem::path& path) {
    FileStream file(path, FileStream::Mode::OpenRead);
    return ReadFrom(file);
}

uint32_t Metafile::DamagedRecordCount() const {
    uint32_t damaged = 0;
    for (RecordView r : Records()) damaged += !CheckRecordLayout(r);
    return damaged;
}

void Metafile::SaveToStream(Stream& stream) const {
    if (!bytes_.empty()) stream.WriteBuffer(bytes_.data(), bytes_.size());
}

void Metafile::SaveToFile(const std::filesystem::path& path) const {
    AtomicFileStream file(path);
    SaveToStream(file);
    file.Commit();
}

int32_t Metafile::Width() const {
    if (Empty()) return 0;
    return MulDiv(int64_t(header_.frame.right) - header_.frame.left, header_.device.cx,
                  int64_t(header_.millimeters.cx) * 100);
}

int32_t Metafile::Height() const {
    if (Empty()) return 0;
    return MulDiv(int64_t(header_.frame.bottom) - header_.frame.top, header_.device.cy,
                  int64_t(header_.millimeters.cy) * 100);
}

Metafile::RecordRange Metafile::Records() const {
    const uint8_t* b = bytes_.data();
    const uint8_t* e = b + bytes_.size();
    return {RecordIterator(b), RecordIterator(e)};
}

}  // namespace tessaly::emf
