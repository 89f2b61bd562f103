#pragma once
// The metafile object: one enhanced-metafile image, held as the exact bytes that were read or
// recorded, so that writing it gives back the same bytes. The bytes are a slice of a shared block:
// the pages of one prepared report keep slices of the block their file was read into, and copies
// of a metafile share its bytes (which never change).
//
// Reading validates the record chain, not what lies inside the records: the first record is
// EMR_HEADER with the signature at offset 40 and at least 88 bytes; the header's total size covers
// whole records, each at least 8 bytes, a multiple of 4 and inside the image, with no second
// header, the last one EMR_EOF. A record whose fields do not fit (a count or offset pointing
// outside it) is damaged: the image still reads, and whatever uses the record (playing, searching,
// exporting) leaves it out through the Parse functions of EmfRecords.h.
// Tolerated, because real writers do it: a header record count other than the records present
// (one short of them, or far off: the chain, not the count, says where the records are);
// bytes after the image that its total size does not cover (left unread in the stream); a header
// longer than 88 bytes whose description starts before the extension fields; a header whose
// description points outside it (the description is then empty).
//
// Failures raise EInvalidMetafile ("Metafile is not valid"), or EReadError ("Stream read error")
// when the stream ends before the header or before the total size the header gives. Nothing is
// allocated beyond what the stream really holds.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "platform/core/ByteBlock.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/emf/EmfRecords.h"
#include "platform/emf/EmfTypes.h"

namespace tessaly::emf {

class EInvalidMetafile : public EngineError {
public:
    EInvalidMetafile() : EngineError("Metafile is not valid") {}
};

// The reference device of recordings: the screen, 1024 x 768 pixels on 360 x 270 mm.
constexpr SizeL kReferencePixels{1024, 768};
constexpr SizeL kReferenceMillimeters{360, 270};

class Metafile {
public:
    Metafile() = default;  // no image: Empty(), size 0 x 0, writes nothing

    // Reads one image from the stream's position; afterwards the position is just behind it.
    static Metafile ReadFrom(Stream& stream);
    // The image at the start of `bytes` (copied); bytes beyond its total size are ignored.
    static Metafile FromBytes(std::span<const uint8_t> bytes);
    // The same without a copy: `bytes` lies in `block`, and the image stays a slice of the block.
    static Metafile FromBlock(ConstByteBlock block, std::span<const uint8_t> bytes);
    // The total size of the image whose header begins `start` (its first 88 bytes are enough),
    // checked as ReadFrom checks them.
    static uint32_t ImageSize(std::span<const uint8_t> start);
    static Metafile LoadFromFile(const std::filesystem::path& path);

    void SaveToStream(Stream& stream) const;
    void SaveToFile(const std::filesystem::path& path) const;  // atomic replace

    bool Empty() const { return bytes_.empty(); }
    std::span<const uint8_t> Bytes() const { return bytes_; }
    const EmrHeader& Header() const { return header_; }
    // Records present, EMR_HEADER and EMR_EOF included (Header().records may say otherwise).
    uint32_t RecordCount() const { return recordCount_; }
    // The header counts other records than are present, beyond the common one short.
    bool RecordCountDiffers() const {
        return recordCount_ != Header().records && recordCount_ != uint64_t(Header().records) + 1;
    }
    // Records whose fields do not fit (CheckRecordLayout), which whatever uses them leaves out.
    // Counted on each call.
    uint32_t DamagedRecordCount() const;

    // The picture's size in pixels of the reference device: the frame (hundredths of a
    // millimetre) through the header's device size in pixels and millimetres, rounded.
    int32_t Width() const;
    int32_t Height() const;

    // Records in file order: for (RecordView r : metafile.Records()) ...
    class RecordIterator {
    public:
        using value_type = RecordView;
        using difference_type = std::ptrdiff_t;
        RecordIterator() = default;
        explicit RecordIterator(const uint8_t* p) : p_(p) {}
        RecordView operator*() const { return RecordView({p_, LoadU32(p_ + 4)}); }
        RecordIterator& operator++() {
            p_ += LoadU32(p_ + 4);
            return *this;
        }
        RecordIterator operator++(int) {
            RecordIterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const RecordIterator& o) const { return p_ == o.p_; }

    private:
        const uint8_t* p_ = nullptr;
    };
    struct RecordRange {
        RecordIterator first, last;
        RecordIterator begin() const { return first; }
        RecordIterator end() const { return last; }
    };
    RecordRange Records() const;

private:
    friend class MetafileWriter;
    Metafile(ConstByteBlock block, std::span<const uint8_t> bytes);  // validates
    ConstByteBlock block_;  // keeps bytes_ alive
    std::span<const uint8_t> bytes_;
    EmrHeader header_;
    uint32_t recordCount_ = 0;
};

// Whether bytes begin like an enhanced metafile (a header record with the signature); says
// nothing of whether the rest is valid.
bool StartsLikeEnhancedMetafile(std::span<const uint8_t> bytes);

// Rounds a × b / c to the nearest integer (halves away from zero) in 64 bits; 0 when c is 0.
int32_t MulDiv(int64_t a, int64_t b, int64_t c);

}  // namespace tessaly::emf
