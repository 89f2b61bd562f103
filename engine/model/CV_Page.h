#pragma once
// Template pages: the paper, margins, columns and options of each page of a template, and the
// report objects that the page owns, in drawing order. TcvPages is the report's ordered list of
// them; its stream form (the pages section of the template file) is in CV_Template.h.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/model/CV_View.h"
#include "engine/report/CV_Pages.h"
#include "platform/core/Stream.h"
#include "platform/emf/EmfTypes.h"

namespace tessaly {

class TcvPages;
class TcvReport;
class TcvView;

class TcvPage {
public:
    // A new page: A4 portrait with its table size and metrics, the default margins and options.
    explicit TcvPage(TcvPages* owner);
    ~TcvPage();
    TcvPage(const TcvPage&) = delete;
    TcvPage& operator=(const TcvPage&) = delete;

    // Stored fields (the page record).
    int32_t PaperSize = 9;
    int32_t PaperWidth = 0;   // tenths of a millimetre
    int32_t PaperHeight = 0;
    emf::RectL Margins{38, 38, 38, 57};  // page pixels; 0 means the printable edge
    uint8_t Orientation = 0;
    int16_t PageHeaderOnFirstPage = -1;
    int16_t PageFooterOnLastPage = -1;
    int16_t RepeatCrossHeader = 0;
    int16_t ContinueOnPreviousPage = 0;
    int32_t ColumnCount = 0;  // 0 counts as 1
    int32_t ColumnGap = 0;
    int32_t ScaleX = 100;
    int32_t ScaleY = 100;
    // The page's size in pixels and its printable area, as the printer settings give them.
    PageInfo PrinterInfo;

    // Sets the paper through the printer settings. A code that they do not know becomes the
    // custom paper 256 with the given size, and a custom paper without a positive size becomes
    // A4. The page then takes the code, size and orientation that the settings settled.
    void ChangePaper(int code, int width, int height, int orientation);

    // The page record; reading repairs what could not be printed (ScaleX/ScaleY of 0 or below,
    // margins that cross or lie off the paper, a column count outside 0..99 or too many columns
    // for the width) and sets the paper.
    void LoadFromStream(Stream& stream);
    void SaveToStream(Stream& stream) const;

    // The edges of the area that bands print in, in page pixels.
    int32_t LeftEdge() const;
    int32_t TopEdge() const;
    int32_t RightEdge() const;
    int32_t BottomEdge() const;
    int32_t Columns() const { return ColumnCount > 0 ? ColumnCount : 1; }
    int32_t ColumnWidth() const { return (RightEdge() - LeftEdge()) / Columns(); }
    // From one column's left edge to the next one's.
    int32_t ColumnStep() const { return WithinReach(int64_t(ColumnWidth()) + ColumnGap); }
    // What AddPage of the prepared pages needs of this page.
    PageTemplate Template() const;

    // The objects, owned, in the order they are drawn and stored.
    int ObjectCount() const { return static_cast<int>(objects_.size()); }
    TcvView* Objects(int index) const;  // EListError outside 0 .. ObjectCount() - 1
    int IndexOfObject(const TcvView* view) const;  // -1 when not on this page
    TcvView& AddObject(std::unique_ptr<TcvView> view);
    // Destroys the object; a sub-report placeholder takes the page it shows with it (unless that
    // page is being deleted already).
    void DeleteObject(int index);
    // Takes the object out without destroying it.
    std::unique_ptr<TcvView> TakeObject(int index);

    TcvPages* Owner() const { return owner_; }
    TcvReport* Report() const;

private:
    void RepairLayout();

    TcvPages* owner_;
    std::vector<std::unique_ptr<TcvView>> objects_;
};

class TcvPages {
public:
    explicit TcvPages(TcvReport* parent) : parent_(parent) {}
    ~TcvPages();
    TcvPages(const TcvPages&) = delete;
    TcvPages& operator=(const TcvPages&) = delete;

    int Count() const { return static_cast<int>(pages_.size()); }
    TcvPage& Pages(int index) const;  // EListError outside 0 .. Count() - 1
    int IndexOf(const TcvPage* page) const;  // -1 when not in the list
    // The page that holds the object, or nullptr.
    TcvPage* PageOf(const TcvView* view) const;
    // Destroys every page and its objects; placeholders delete no pages meanwhile.
    void Clear();
    // Appends a new page: A4, portrait.
    TcvPage& Add();
    // Deletes a page: the placeholders that point to it are destroyed, those that point to later
    // pages point one page lower, and the page's own placeholders delete their pages in turn.
    void Delete(int index);

    // The pages section of the template stream (CV_Template.cpp).
    void LoadFromStream(Stream& stream);
    void SaveToStream(Stream& stream) const;

    TcvReport* Parent() const { return parent_; }

    // Every object of every page, in page and object order.
    template <class F>
    void ForEachObject(F&& f) const {
        for (const auto& page : pages_)
            for (int i = 0; i < page->ObjectCount(); ++i) f(*page->Objects(i));
    }

private:
    TcvReport* parent_;
    std::vector<std::unique_ptr<TcvPage>> pages_;
};

}  // namespace tessaly
