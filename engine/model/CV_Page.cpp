#include "engine/model/CV_Page.h"

#include <algorithm>

#include "engine/model/CV_SubReport.h"
#include "engine/model/CV_View.h"
#include "engine/report/CV_Prntr.h"
#include "platform/core/Errors.h"

namespace tessaly {

namespace {

// The table's row of a paper code; nullptr for a code the printer settings do not know.
const PaperRow* TableRow(int code) {
    for (int i = 0; i < PaperTableCount; ++i)
        if (PaperTableRow(i).code == code) return &PaperTableRow(i);
    return nullptr;
}

constexpr int kMaxColumns = 99;
constexpr int kA4 = 9;

}  // namespace

// --- TcvPage ----------------------------------------------------------------------------------

TcvPage::TcvPage(TcvPages* owner) : owner_(owner) { ChangePaper(kA4, 0, 0, 0); }

TcvPage::~TcvPage() = default;

TcvReport* TcvPage::Report() const { return owner_ ? owner_->Parent() : nullptr; }

void TcvPage::ChangePaper(int code, int width, int height, int orientation) {
    if (orientation != 1) orientation = 0;  // anything else would print landscape on portrait sizes
    if (!TableRow(code)) code = PaperCustom;
    TPrinterSettings local;
    TPrinterSettings& settings = PrinterSettings ? *PrinterSettings : local;
    auto apply = [&](int c, int w, int h) {
        const PaperRow* r = TableRow(c);
        // While printing the settings keep the size they are given: a named paper brings its own.
        if (r && r->code != PaperCustom) {
            w = orientation == 1 ? r->height : r->width;
            h = orientation == 1 ? r->width : r->height;
        }
        settings.SetPrinterInfo(c, w, orientation, h);
        settings.FillPrnInfo(PrinterInfo);
    };
    apply(code, width, height);
    // A custom paper with nothing to print on (no size, or all of it within the printable edges).
    if (settings.PaperSize() == PaperCustom &&
        (width <= 0 || height <= 0 || PrinterInfo.PrintableWidth <= 0 || PrinterInfo.PrintableHeight <= 0))
        apply(kA4, 0, 0);
    PaperSize = settings.PaperSize();
    PaperWidth = settings.PaperWidth();
    PaperHeight = settings.PaperHeight();
    Orientation = static_cast<uint8_t>(settings.Orientation());
}

// Margins of a damaged template may be anything: the edges stay within reach (WithinReach).
int32_t TcvPage::LeftEdge() const { return WithinReach(Margins.left != 0 ? Margins.left : PrinterInfo.MarginX); }

int32_t TcvPage::TopEdge() const { return WithinReach(Margins.top != 0 ? Margins.top : PrinterInfo.MarginY); }

int32_t TcvPage::RightEdge() const {
    return WithinReach(Margins.right != 0 ? int64_t(PrinterInfo.ScreenPageWidth) - Margins.right
                                          : int64_t(PrinterInfo.MarginX) + PrinterInfo.PrintableWidth);
}

int32_t TcvPage::BottomEdge() const {
    return WithinReach(Margins.bottom != 0 ? int64_t(PrinterInfo.ScreenPageHeight) - Margins.bottom
                                           : int64_t(PrinterInfo.MarginY) + PrinterInfo.PrintableHeight);
}

PageTemplate TcvPage::Template() const {
    PageTemplate t;
    t.PaperSize = PaperSize;
    t.Width = PaperWidth;
    t.Height = PaperHeight;
    t.Orientation = Orientation;
    t.ScaleX = ScaleX;
    t.ScaleY = ScaleY;
    t.Info = PrinterInfo;
    return t;
}

void TcvPage::LoadFromStream(Stream& stream) {
    PaperSize = stream.ReadI32();
    PaperWidth = stream.ReadI32();
    PaperHeight = stream.ReadI32();
    Margins.left = stream.ReadI32();
    Margins.top = stream.ReadI32();
    Margins.right = stream.ReadI32();
    Margins.bottom = stream.ReadI32();
    Orientation = stream.ReadU8();
    PageHeaderOnFirstPage = stream.ReadI16();
    PageFooterOnLastPage = stream.ReadI16();
    RepeatCrossHeader = stream.ReadI16();
    ContinueOnPreviousPage = stream.ReadI16();
    if (StreamVersion <= 28) stream.ReadU16();
    ColumnCount = stream.ReadI32();
    ColumnGap = stream.ReadI32();
    if (StreamVersion >= 25) {
        ScaleX = stream.ReadI32();
        ScaleY = stream.ReadI32();
    }
    ChangePaper(PaperSize, PaperWidth, PaperHeight, Orientation);
    RepairLayout();
}

// What a page record may hold but no page can print with takes its default.
void TcvPage::RepairLayout() {
    if (ScaleX <= 0) ScaleX = 100;
    if (ScaleY <= 0) ScaleY = 100;
    for (int32_t* m : {&Margins.left, &Margins.top, &Margins.right, &Margins.bottom})
        if (*m < 0) *m = 0;
    if (RightEdge() <= LeftEdge()) Margins.left = Margins.right = 0;
    if (BottomEdge() <= TopEdge()) Margins.top = Margins.bottom = 0;
    if (ColumnCount < 0 || ColumnCount > kMaxColumns || ColumnWidth() <= 0) ColumnCount = 0;
}

void TcvPage::SaveToStream(Stream& stream) const {
    stream.WriteI32(PaperSize);
    stream.WriteI32(PaperWidth);
    stream.WriteI32(PaperHeight);
    stream.WriteI32(Margins.left);
    stream.WriteI32(Margins.top);
    stream.WriteI32(Margins.right);
    stream.WriteI32(Margins.bottom);
    stream.WriteU8(Orientation);
    stream.WriteI16(PageHeaderOnFirstPage);
    stream.WriteI16(PageFooterOnLastPage);
    stream.WriteI16(RepeatCrossHeader);
    stream.WriteI16(ContinueOnPreviousPage);
    stream.WriteI32(ColumnCount);
    stream.WriteI32(ColumnGap);
    stream.WriteI32(ScaleX);
    stream.WriteI32(ScaleY);
}

TcvView* TcvPage::Objects(int index) const {
    if (index < 0 || index >= ObjectCount()) throw EListError(index);
    return objects_[static_cast<size_t>(index)].get();
}

int TcvPage::IndexOfObject(const TcvView* view) const {
    for (size_t i = 0; i < objects_.size(); ++i)
        if (objects_[i].get() == view) return static_cast<int>(i);
    return -1;
}

TcvView& TcvPage::AddObject(std::unique_ptr<TcvView> view) {
    objects_.push_back(std::move(view));
    return *objects_.back();
}

void TcvPage::DeleteObject(int index) {
    std::unique_ptr<TcvView> view = TakeObject(index);
    auto* sub = dynamic_cast<TcvSubReportView*>(view.get());
    if (!sub || sub->Deleting || !owner_) return;
    sub->Deleting = true;
    const int target = sub->SubPage;
    view.reset();
    if (target >= 0 && target < owner_->Count() && &owner_->Pages(target) != this) owner_->Delete(target);
}

std::unique_ptr<TcvView> TcvPage::TakeObject(int index) {
    Objects(index);
    std::unique_ptr<TcvView> view = std::move(objects_[static_cast<size_t>(index)]);
    objects_.erase(objects_.begin() + index);
    return view;
}

// --- TcvPages ---------------------------------------------------------------------------------

TcvPages::~TcvPages() { Clear(); }

TcvPage& TcvPages::Pages(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return *pages_[static_cast<size_t>(index)];
}

int TcvPages::IndexOf(const TcvPage* page) const {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].get() == page) return static_cast<int>(i);
    return -1;
}

TcvPage* TcvPages::PageOf(const TcvView* view) const {
    for (const auto& page : pages_)
        if (page->IndexOfObject(view) >= 0) return page.get();
    return nullptr;
}

void TcvPages::Clear() {
    ForEachObject([](TcvView& view) {
        if (auto* sub = dynamic_cast<TcvSubReportView*>(&view)) sub->Deleting = true;
    });
    pages_.clear();
}

TcvPage& TcvPages::Add() {
    pages_.push_back(std::make_unique<TcvPage>(this));
    return *pages_.back();
}

void TcvPages::Delete(int index) {
    Pages(index);  // checks the index
    std::vector<TcvPage*> pending{pages_[static_cast<size_t>(index)].get()};
    while (!pending.empty()) {
        TcvPage* page = pending.back();
        pending.pop_back();
        const int at = IndexOf(page);
        if (at < 0) continue;
        std::unique_ptr<TcvPage> gone = std::move(pages_[static_cast<size_t>(at)]);
        pages_.erase(pages_.begin() + at);
        // Placeholders elsewhere that show the page go with it; the others follow the renumbering.
        for (auto& other : pages_)
            for (int i = other->ObjectCount() - 1; i >= 0; --i) {
                auto* sub = dynamic_cast<TcvSubReportView*>(other->Objects(i));
                if (!sub) continue;
                if (sub->SubPage == at) {
                    sub->Deleting = true;
                    other->DeleteObject(i);
                } else if (sub->SubPage > at) {
                    --sub->SubPage;
                }
            }
        // The page's own placeholders take their pages with them.
        for (int i = 0; i < gone->ObjectCount(); ++i)
            if (auto* sub = dynamic_cast<TcvSubReportView*>(gone->Objects(i))) {
                sub->Deleting = true;
                int target = sub->SubPage > at ? sub->SubPage - 1 : sub->SubPage;
                if (sub->SubPage != at && target >= 0 && target < Count()) pending.push_back(&Pages(target));
            }
    }
}

}  // namespace tessaly
