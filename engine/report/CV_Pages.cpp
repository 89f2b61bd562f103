#include "engine/report/CV_Pages.h"

#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
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
    // The pages are read into a list of their own and replace the held ones only when the whole
    // stream was read: a damaged file leaves the report as it was (a save must not lose it).
    std::vector<std::unique_ptr<PreparedPage>> loaded;
    ReadCountedStrings(stream, ScratchList);
    const int64_t size = stream.Size();
    int32_t count = stream.ReadI32();
    if (count < 0 || count > stream.Remaining() / (kRecordHead + kMinDrawing)) throw EReadError();
    for (int32_t i = 0; i < count; ++i) {
        int64_t next = stream.ReadU32();
        auto page = std::make_unique<PreparedPage>();
        page->PaperSize = stream.ReadU16();
        page->Width = stream.ReadI32();
        page->Height = stream.ReadI32();
        page->Orientation = stream.ReadU8();
        page->PageFlag = stream.ReadU8();
        page->Drawing = emf::Metafile::ReadFrom(stream);
        // The next record starts behind the drawing (padding allowed), never inside it.
        if (next < stream.Position() || next > size) throw EReadError();
        PrinterSettings->SetPrinterInfo(page->PaperSize, page->Width, page->Orientation, page->Height);
        PrinterSettings->FillPrnInfo(page->Info);
        loaded.push_back(std::move(page));
        stream.SetPosition(next);
    }
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
