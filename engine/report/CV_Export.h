#pragma once
// Export of a prepared report through an export filter: the filter interface and the registry of
// filters that hosts register (the program itself registers none). TcvReport::ExportTo runs it,
// inside the export dialog (TProgressFilterForm of the windows) when there is one.
#include <filesystem>
#include <memory>

#include "engine/report/CV_Report.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Stream.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

class TcvReport;

// The font of an exported text item: face name, height, style (bold, italic, underline) and colour.
using TExportFont = emf::CanvasFont;

// An export filter writes the text of a prepared report into the stream it was created on. The
// export run calls Setup, then per page BeginPage, AddText for each text item in position order
// and EndPage, and at the end EndDoc (also after a cancel).
class TcvExportFilter {
public:
    explicit TcvExportFilter(Stream& stream) : Output(stream) {}
    virtual ~TcvExportFilter() = default;
    TcvExportFilter(const TcvExportFilter&) = delete;
    TcvExportFilter& operator=(const TcvExportFilter&) = delete;

    // False stops the export before anything is run.
    virtual bool Setup() { return true; }
    virtual void EndDoc() {}
    // The page's drawing size in pixels.
    virtual void BeginPage(int width, int height) {}
    virtual void EndPage() {}
    // One text item at its reference point (the record's logical coordinates).
    virtual void AddText(int x, int y, const AnsiString& text, const TExportFont& font) {}

    TcvReport* Report = nullptr;
    std::filesystem::path FileName;

protected:
    Stream& Output;
};

// A filter class (TcvExportFilterClass, declared with the report) makes a filter on a stream;
// ExportFilterClassOf<F> is the class of F.

template <class F>
std::unique_ptr<TcvExportFilter> ExportFilterClassOf(Stream& stream) {
    return std::make_unique<F>(stream);
}
template <class F>
constexpr TcvExportFilterClass ExportFilterClass = &ExportFilterClassOf<F>;

struct TExportFilterEntry {
    TcvExportFilterClass FilterClass = nullptr;
    AnsiString Description;
    AnsiString FileMask;  // "*." and the extension
};

constexpr int MaxExportFilters = 32;

// Adds a filter after those registered so far; false when the registry is full or the class is
// already registered.
bool RegisterExportFilter(TcvExportFilterClass filterClass, const AnsiString& description, const AnsiString& mask);
// Takes a filter out again (a host that goes away, tests).
void UnregisterExportFilter(TcvExportFilterClass filterClass);
int ExportFilterCount();
// Entry i (0-based, registration order); an index outside the registry raises EListError.
const TExportFilterEntry& ExportFilterEntry(int index);
// The entry of a class, or null.
const TExportFilterEntry* FindExportFilter(TcvExportFilterClass filterClass);

// The key that orders a page's text items: Y, then X, each in decimal padded on the left with "0"
// to 10 characters (a minus sign stays in front of the digits, the zeros go before it).
AnsiString ExportTextKey(int32_t x, int32_t y);

}  // namespace tessaly
