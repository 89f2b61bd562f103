// Export of a prepared report through an export filter: the text of every page, made into items
// keyed by position as the page's drawing is played, handed to the filter in key order.
#include <map>

#include <QPainter>
#include <QPicture>
#include <QProgressBar>

#include "engine/report/CV_Pages.h"
#include "engine/ui/CV_PrFlt.h"
#include "engine/report/CV_Print.h"
#include "engine/report/CV_Report.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"

namespace tessaly {

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
    font.name = Utf8ToCp1252(dc.font.faceName.toStdString());
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
void RunExport(TcvReport& report, TcvExportFilter& filter, TProgressFilterForm* form) {
    TcvEMFPages& pages = report.EMFPages();
    if (form) {
        form->ProgressBar1->setMaximum(std::max(pages.Count(), 1));
        form->ProgressBar1->setValue(0);
    }
    TextItems items;
    for (int i = 0; i < pages.Count() && !ExportCancelled; ++i) {
        const emf::Metafile& drawing = pages.Pages(i).Drawing;
        const int width = drawing.Width(), height = drawing.Height();
        filter.BeginPage(width, height);
        CollectPage(items, drawing, width, height);
        for (const auto& [key, item] : items) filter.AddText(item.x, item.y, item.text, item.font);
        items.clear();
        filter.EndPage();
        if (form) form->ProgressBar1->setValue(i + 1);
        ProcessMessages();
    }
    filter.EndDoc();
    if (form) form->SetModalResult(mrOk);
}

// Resets the report's current export filter however the export ends.
class ExportFilterGuard {
public:
    ExportFilterGuard(TcvReport& report, TcvExportFilter* filter) : report_(report) { report_.ExportFilter = filter; }
    ~ExportFilterGuard() { report_.ExportFilter = nullptr; }

private:
    TcvReport& report_;
};

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
        ExportFilterGuard current(*this, filter.get());
        filter->Report = this;
        filter->FileName = fileName;
        if (filter->Setup()) {
            ExportCancelled = false;
            if (CanShowDialogs()) {
                TProgressFilterForm form;
                form.Report = this;
                form.SetLabel(description);
                form.StartAction = [this, &filter, &form](QObject*) { RunExport(*this, *filter, &form); };
                form.Show();
            } else {
                RunExport(*this, *filter, nullptr);
            }
        }
    }
    stream.Commit();
}

}  // namespace tessaly
