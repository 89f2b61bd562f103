#pragma once
// The prepared report in memory: an ordered list of pages, each a recorded drawing with its
// paper, size and orientation, and the ".cvp" file that stores them.
#include <cstdint>

namespace tessaly {

// Screen pixels per tenth of a millimetre of paper for a page the preview shows at 100 % (a page
// 2100 wide is 794 pixels).
inline constexpr double PreviewPixelsPerTenthMm = 397.0 / 1050.0;

// Page and printer metrics of one prepared page, in pixels (screen pixels at 96 per inch).
struct PageInfo {
    int32_t PrinterPageWidth = 0;
    int32_t PrinterPageHeight = 0;
    int32_t ScreenPageWidth = 0;
    int32_t ScreenPageHeight = 0;
    int32_t PrinterOffsetX = 0;
    int32_t PrinterOffsetY = 0;
    int32_t MarginX = 0;
    int32_t MarginY = 0;
    int32_t PrintableWidth = 0;
    int32_t PrintableHeight = 0;
};

}  // namespace tessaly

#include <memory>
#include <vector>

#include "platform/core/Stream.h"
#include "platform/emf/Metafile.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

class TcvReport;

// The message of a command that needs pages when the report has none (cp1252).
inline constexpr char kNoPages[] = "Il report non ha pagine.";

// What a template page hands to AddPage: its paper, size, orientation, scale and metrics.
struct PageTemplate {
    int PaperSize = 9;
    int Width = 2100;   // tenths of a millimetre
    int Height = 2970;
    int Orientation = 0;
    int ScaleX = 100;   // percent; 100 is actual size
    int ScaleY = 100;
    PageInfo Info;
};

struct PreparedPage {
    uint16_t PaperSize = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t Orientation = 0;
    uint8_t PageFlag = 0;
    PageInfo Info;
    emf::Metafile Drawing;
    // The surface being drawn on while the page is prepared; CloseSurface ends the recording
    // and makes it the page's drawing.
    std::unique_ptr<emf::RecordingCanvas> Surface;

    void CloseSurface();
};

class TcvEMFPages {
public:
    explicit TcvEMFPages(TcvReport* parent) : parent_(parent) {}
    ~TcvEMFPages() { Clear(); }
    TcvEMFPages(const TcvEMFPages&) = delete;
    TcvEMFPages& operator=(const TcvEMFPages&) = delete;

    int Count() const { return static_cast<int>(pages_.size()); }
    // An index outside 0 .. Count() - 1 raises EListError.
    PreparedPage& Pages(int index) const;
    void Clear();
    // Appends a page for a template page and opens its Surface, where a preparation draws it.
    PreparedPage& AddPage(const PageTemplate& templatePage);
    // Puts the pages in the order that `order` gives (order[n]: the index of the page that goes
    // n-th); an order that is not one of the pages' own leaves them as they are.
    void Reorder(const std::vector<int>& order);
    // Reads a prepared report and puts its pages in place of the held ones; on a failure the held
    // pages stay as they were.
    void LoadFromStream(Stream& stream);
    void SaveToStream(Stream& stream) const;
    TcvReport* Parent() const { return parent_; }

private:
    TcvReport* parent_;
    std::vector<std::unique_ptr<PreparedPage>> pages_;
};

}  // namespace tessaly
