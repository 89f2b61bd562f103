#include "engine/CV_Pages.h"

#include "engine/CV_Prntr.h"
#include "engine/CV_Report.h"
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

}  // namespace

PreparedPage& TcvEMFPages::Pages(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return *pages_[index];
}

void PreparedPage::CloseSurface() {
    if (!Surface) return;
    if (CurPageCanvas == Surface.get()) CurPageCanvas = nullptr;
    Drawing = Surface->Close();
    Surface.reset();
}

void TcvEMFPages::Clear() {
    for (const auto& page : pages_)
        if (page->Surface && CurPageCanvas == page->Surface.get()) CurPageCanvas = nullptr;
    pages_.clear();
}

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
    CurPageCanvas = page->Surface.get();
    pages_.push_back(std::move(page));
    return *pages_.back();
}

void TcvEMFPages::LoadFromStream(Stream& stream) {
    if (!PrinterSettings) throw EngineError("Impostazioni di stampa non disponibili.");
    Clear();
    ReadCountedStrings(stream, ScratchList);
    int32_t count = stream.ReadI32();
    if (count < 0 || count > stream.Remaining() / (kRecordHead + kMinDrawing)) throw EReadError();
    // The page records are read in one piece; each drawing stays a slice of it, checked as it is
    // cut out. Record offsets count from the start of the stream, `start` is where the piece began.
    const int64_t start = stream.Position();
    const size_t length = static_cast<size_t>(stream.Remaining());
    const ConstByteBlock block = ReadByteBlock(stream, length);
    ByteViewStream records(block.get(), length);
    for (int32_t i = 0; i < count; ++i) {
        const int64_t next = int64_t(records.ReadU32()) - start;
        auto page = std::make_unique<PreparedPage>();
        page->PaperSize = records.ReadU16();
        page->Width = records.ReadI32();
        page->Height = records.ReadI32();
        page->Orientation = records.ReadU8();
        page->PageFlag = records.ReadU8();
        const int64_t drawingAt = records.Position();
        page->Drawing = emf::Metafile::FromBlock(block, std::span(block.get() + drawingAt, length - drawingAt));
        // The next record starts behind the drawing (padding allowed), never inside it.
        if (next < drawingAt + int64_t(page->Drawing.Bytes().size()) || next > int64_t(length)) throw EReadError();
        PrinterSettings->SetPrinterInfo(page->PaperSize, page->Width, page->Orientation, page->Height);
        PrinterSettings->FillPrnInfo(page->Info);
        pages_.push_back(std::move(page));
        records.SetPosition(next);
    }
    stream.SetPosition(start + records.Position());
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
