#include "engine/report/CV_Pages.h"

#include <algorithm>

#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "platform/core/ByteBlock.h"
#include "platform/core/Errors.h"
#include "platform/core/Rounding.h"
#include "platform/core/StringList.h"

namespace tessaly {

namespace {

// The fixed part of a page record before its drawing.
constexpr int64_t kRecordHead = 16;
// The smallest drawing: a metafile header record.
constexpr int64_t kMinDrawing = emf::kHeaderBaseSize;

// The page records of a prepared report, read from the stream into one block a piece at a time:
// each drawing is checked just after its bytes arrive, while they are still in the processor's
// cache (checking 100 MB read in one go costs a cache miss per record), and the pages keep their
// drawings as slices of the block.
class PageRecords {
public:
    PageRecords(Stream& stream, size_t length)
        : stream_(stream), block_(AllocateByteBlock(length)), length_(length) {}

    const ByteBlock& Block() const { return block_; }
    size_t Length() const { return length_; }

    // The `count` bytes from `at` (at most Length()), fewer where the records end.
    std::span<const uint8_t> Bytes(size_t at, size_t count) {
        const size_t end = at + std::min(count, length_ - at);
        if (end > read_) ReadUpTo(std::min(length_, std::max(end, read_ + kPiece)));
        return {block_.get() + at, end - at};
    }

private:
    static constexpr size_t kPiece = size_t(256) << 10;

    void ReadUpTo(size_t end) {
        stream_.ReadBuffer(block_.get() + read_, end - read_);
        read_ = end;
    }

    Stream& stream_;
    ByteBlock block_;
    size_t length_;
    size_t read_ = 0;
};

}  // namespace

PreparedPage& TcvEMFPages::Pages(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return *pages_[index];
}

void PreparedPage::CloseSurface() {
    if (!Surface) return;
    Drawing = Surface->Close();
    Surface.reset();
}

void TcvEMFPages::Clear() { pages_.clear(); }

PreparedPage& TcvEMFPages::AddPage(const PageTemplate& t) {
    const double fx = 100.0 / t.ScaleX;
    const double fy = 100.0 / t.ScaleY;
    auto page = std::make_unique<PreparedPage>();
    page->PaperSize = static_cast<uint16_t>(fx == 1 && fy == 1 ? t.PaperSize : PaperCustom);
    page->Width = Round32(t.Width / fx);
    page->Height = Round32(t.Height / fy);
    page->Orientation = static_cast<uint8_t>(t.Orientation);
    page->PageFlag = 1;
    page->Info = t.Info;
    page->Info.ScreenPageWidth = Round32(t.Info.ScreenPageWidth / fx);
    page->Info.PrintableWidth = Round32(t.Info.PrintableWidth / fx);
    page->Info.ScreenPageHeight = Round32(t.Info.ScreenPageHeight / fy);
    page->Info.PrintableHeight = Round32(t.Info.PrintableHeight / fy);
    page->Surface = std::make_unique<emf::RecordingCanvas>(Round32(page->Info.ScreenPageWidth * fx),
                                                           Round32(page->Info.ScreenPageHeight * fy));
    if (PageCharset != 1) page->Surface->Font().charSet = static_cast<uint8_t>(PageCharset);
    pages_.push_back(std::move(page));
    return *pages_.back();
}

void TcvEMFPages::Reorder(const std::vector<int>& order) {
    if (order.size() != pages_.size()) return;
    std::vector<bool> seen(order.size());
    for (int index : order) {
        if (index < 0 || size_t(index) >= order.size() || seen[size_t(index)]) return;
        seen[size_t(index)] = true;
    }
    std::vector<std::unique_ptr<PreparedPage>> reordered;
    for (int index : order) reordered.push_back(std::move(pages_[size_t(index)]));
    pages_ = std::move(reordered);
}

void TcvEMFPages::LoadFromStream(Stream& stream) {
    if (!PrinterSettings) throw EngineError("Impostazioni di stampa non disponibili.");
    // The pages are read into a list of their own and replace the held ones only when the whole
    // stream was read: a damaged file leaves the report as it was (a save must not lose it).
    std::vector<std::unique_ptr<PreparedPage>> loaded;
    ReadCountedStrings(stream, ScratchList);
    int32_t count = stream.ReadI32();
    if (count < 0 || count > stream.Remaining() / (kRecordHead + kMinDrawing)) throw EReadError();
    // Record offsets count from the start of the stream; `at` from where the page records begin.
    const int64_t start = stream.Position();
    PageRecords records(stream, static_cast<size_t>(stream.Remaining()));
    size_t at = 0;
    for (int32_t i = 0; i < count; ++i) {
        ByteViewStream head(records.Bytes(at, kRecordHead));
        const int64_t next = int64_t(head.ReadU32()) - start;
        auto page = std::make_unique<PreparedPage>();
        page->PaperSize = head.ReadU16();
        page->Width = head.ReadI32();
        page->Height = head.ReadI32();
        page->Orientation = head.ReadU8();
        page->PageFlag = head.ReadU8();
        const size_t drawingAt = at + kRecordHead;
        const uint32_t size = emf::Metafile::ImageSize(records.Bytes(drawingAt, emf::kHeaderBaseSize));
        page->Drawing = emf::Metafile::FromBlock(records.Block(), records.Bytes(drawingAt, size));
        // The next record starts behind the drawing (padding allowed), never inside it.
        if (next < int64_t(drawingAt + size) || next > int64_t(records.Length())) throw EReadError();
        PrinterSettings->SetPrinterInfo(page->PaperSize, page->Width, page->Orientation, page->Height);
        PrinterSettings->FillPrnInfo(page->Info);
        loaded.push_back(std::move(page));
        at = static_cast<size_t>(next);
    }
    stream.SetPosition(start + int64_t(at));
    Clear();
    pages_ = std::move(loaded);
}

void TcvEMFPages::SaveToStream(Stream& stream) const {
    ScratchList.Clear();
    WriteCountedStrings(stream, ScratchList);
    stream.WriteI32(Count());
    for (const auto& page : pages_) {
        // A page still being drawn has no drawing yet: saving it would write a broken file.
        if (page->Drawing.Empty()) throw EWriteError();
        int64_t start = stream.Position();
        stream.WriteU32(0);
        stream.WriteU16(page->PaperSize);
        stream.WriteI32(page->Width);
        stream.WriteI32(page->Height);
        stream.WriteU8(page->Orientation);
        stream.WriteU8(page->PageFlag);
        page->Drawing.SaveToStream(stream);
        int64_t end = stream.Position();
        // The offset field has 32 bits: a file beyond them could not be read back.
        if (end > UINT32_MAX) throw EWriteError();
        stream.SetPosition(start);
        stream.WriteU32(static_cast<uint32_t>(end));
        stream.Seek(0, SeekOrigin::End);
    }
}

}  // namespace tessaly
