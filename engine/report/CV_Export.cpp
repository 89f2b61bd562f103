// Export of a prepared report through an export filter: the text of every page, made into items
// keyed by position as the page's drawing is played, handed to the filter in key order.
#include "engine/report/CV_Export.h"

#include <map>
#include <vector>

#include <QPainter>
#include <QPicture>
#include <QScopeGuard>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/core/QtStrings.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"

namespace tessaly {

namespace {

std::vector<TExportFilterEntry>& Registry() {
    static std::vector<TExportFilterEntry> entries;
    return entries;
}

}  // namespace

bool RegisterExportFilter(TcvExportFilterClass filterClass, const AnsiString& description, const AnsiString& mask) {
    auto& entries = Registry();
    if (!filterClass || entries.size() >= MaxExportFilters || FindExportFilter(filterClass)) return false;
    entries.push_back({filterClass, description, mask});
    return true;
}

void UnregisterExportFilter(TcvExportFilterClass filterClass) {
    auto& entries = Registry();
    std::erase_if(entries, [&](const TExportFilterEntry& e) { return e.FilterClass == filterClass; });
}

int ExportFilterCount() { return static_cast<int>(Registry().size()); }

const TExportFilterEntry& ExportFilterEntry(int index) {
    if (index < 0 || index >= ExportFilterCount()) throw EListError(index);
    return Registry()[index];
}

const TExportFilterEntry* FindExportFilter(TcvExportFilterClass filterClass) {
    for (const auto& e : Registry())
        if (e.FilterClass == filterClass) return &e;
    return nullptr;
}

namespace {

struct TextItem {
    int32_t x = 0, y = 0;
    AnsiString text;
    TExportFont font;
};

// Sorted by key; a key already present keeps its first item.
using TextItems = std::map<std::string, TextItem>;

// The surface's font and text colour when the record is played.
TExportFont FontOf(const emf::DeviceContext& dc) {
    TExportFont font;
    font.name = FromQString(dc.font.faceName);
    font.height = dc.font.height;
    font.style = (dc.font.weight == 700 ? emf::fsBold : 0) | (dc.font.italic ? emf::fsItalic : 0) |
                 (dc.font.underline ? emf::fsUnderline : 0);
    const QColor c = dc.textColour;
    font.color = static_cast<emf::ColorRef>(c.red() | (c.green() << 8) | (c.blue() << 16));
    return font;
}

void CollectText(TextItems& items, const emf::EmrExtTextOut& record, const emf::DeviceContext& dc) {
    TextItem item;
    item.x = record.text.reference.x;
    item.y = record.text.reference.y;
    item.text = record.isWide ? Utf16ToCp1252(record.text.wide) : record.text.ansi;
    item.font = FontOf(dc);
    items.try_emplace(ExportTextKey(item.x, item.y), std::move(item));
}

// Plays the page onto a scratch surface to follow its font and colour, keeping its text items.
void CollectPage(TextItems& items, const emf::Metafile& drawing, int width, int height) {
    if (drawing.Empty()) return;
    QPicture scratch;
    QPainter painter(&scratch);
    emf::Player player(painter, drawing, QRectF(0, 0, width, height));
    player.Enumerate([&items](emf::Player& p, emf::RecordView r) {
        const uint32_t type = r.Type();
        if (type == emf::EMR_EXTTEXTOUTA || type == emf::EMR_EXTTEXTOUTW) {
            if (auto record = emf::ParseExtTextOut(r)) CollectText(items, *record, p.Dc());
        }
        return emf::RecordAction::Play;
    });
}

// The export run: page by page until the pages end or the dialog is cancelled; EndDoc always.
void RunExport(TcvReport& report, TcvExportFilter& filter, TcvProgressView* form) {
    TcvEMFPages& pages = report.EMFPages();
    const int maximum = std::max(pages.Count(), 1);
    if (form) form->SetProgress(0, maximum);
    TextItems items;
    for (int i = 0; i < pages.Count() && !ExportCancelled; ++i) {
        const emf::Metafile& drawing = pages.Pages(i).Drawing;
        const int width = drawing.Width(), height = drawing.Height();
        filter.BeginPage(width, height);
        CollectPage(items, drawing, width, height);
        for (const auto& [key, item] : items) filter.AddText(item.x, item.y, item.text, item.font);
        items.clear();
        filter.EndPage();
        if (form) form->SetProgress(i + 1, maximum);
        ProcessMessages();
    }
    filter.EndDoc();
    if (form) form->SetModalResult(mrOk);
}

AnsiString PadKeyPart(int32_t value) {
    std::string digits = std::to_string(value);
    if (digits.size() < 10) digits.insert(0, 10 - digits.size(), '0');
    return digits;
}

}  // namespace

AnsiString ExportTextKey(int32_t x, int32_t y) { return PadKeyPart(y) + PadKeyPart(x); }

void TcvReport::ExportTo(TcvExportFilterClass filterClass, const std::filesystem::path& fileName) {
    if (!filterClass) throw EngineError("Filtro di esportazione non valido.");
    const TExportFilterEntry* entry = FindExportFilter(filterClass);
    const AnsiString description = entry ? entry->Description : AnsiString();
    // The file replaces an older one only when the export ends without an error.
    AtomicFileStream stream(fileName);
    {
        std::unique_ptr<TcvExportFilter> filter = filterClass(stream);
        ExportFilter = filter.get();
        auto current = qScopeGuard([this] { ExportFilter = nullptr; });
        filter->Report = this;
        filter->FileName = fileName;
        if (filter->Setup()) {
            // A report without pages is prepared first; one that could not be is not exported.
            if (emfPages_->Count() == 0 && !PrepareReport()) {
                if (!PreparationErrorText().empty()) throw EngineError(PreparationErrorText());
                return;
            }
            ExportCancelled = false;
            std::unique_ptr<TcvProgressView> form = ExportDialogClass ? ExportDialogClass() : nullptr;
            if (form) form->SetLabel(description);
            RunInProgress(*this, form.get(), [this, &filter, &form] { RunExport(*this, *filter, form.get()); });
        }
    }
    stream.Commit();
}

}  // namespace tessaly
