// Cross tables: a horizontal band that holds objects of the table bands prints them across the
// page, the table header, one column per record of the table's dataset, the table footer; columns
// that pass the right edge go on the following prepared page, at the same height.
#include <algorithm>

#include <QScopedValueRollback>

#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_BandAggregates.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"

namespace tessaly {

// The objects of a table band that this band holds as well, at x; a failure stops the drawing.
void TcvBand::DrawCrossObjects(TcvBand& cross, int32_t x) {
    for (TcvView* view : cross.Objects) {
        if (State().PreparationError.Recorded) return;
        if (view->ParentBand == &cross && std::find(Objects.begin(), Objects.end(), view) != Objects.end())
            DrawObjectAt(*view, dmDrawAll, x, Top);
    }
}

// A column that passes the right edge goes on the next prepared page of the row (a new one, with
// its overlay and page header, when there is none), at the left edge and the same height.
void TcvBand::CrossSpace(int32_t& x, int32_t width) {
    TcvPageRun& page = *Page;
    if (x + width <= page.RightEdge() || page.IsSubReportPage) return;
    TcvPreparation& run = *page.Run;
    x = page.LeftEdge();
    const int next = State().PreparedIndex + 1;
    if (next < run.PreparedCount() && run.IsOpen(next)) {
        run.SelectPreparedPage(next);
    } else {
        QScopedValueRollback y(page.CurY, page.TopEdge());
        QScopedValueRollback breaking(page.Breaking, true);
        run.AddPreparedPage(*page.Page);
        page.ShowChain(btOverlay);
        page.CurY = page.TopEdge();
        page.ShowChain(btPageHeader);
    }
    TcvBand& header = *page.Band(btCrossHeader);
    if (page.Page->RepeatCrossHeader && header.HasObjects()) {
        DrawCrossObjects(header, x);
        x += header.Width;
    }
}

// One column per record of the table's dataset. After the master data ended (in footers and
// summaries) as many columns print as the rows had, for their totals.
int32_t TcvBand::PrintCrossColumns(TcvBand& data, const TcvBand& master, int32_t x) {
    TcvPageRun& page = *Page;
    auto update = [&data](int event) {
        TcvBandContext context(data, false);
        UpdateAggregates(data, event);
    };
    data.First();
    update(2);
    for (int column = 1;; ++column) {
        const bool masterEnd = master.DataSetEof();
        if ((data.DataSetEof() || masterEnd) && (!masterEnd || column > data.Aggregates.AggregateColumns)) break;
        CrossSpace(x, data.Width);
        DrawCrossObjects(data, x);
        x += data.Width;
        ++page.ColumnCounter;
        data.NextRecord();
        update(3);
        if (page.Run->Report.Terminated) break;
    }
    return x;
}

void TcvBand::PrintCross() {
    TcvPageRun& page = *Page;
    if (page.InCross) return;
    QScopedValueRollback running(page.InCross, true);
    const int startPage = State().PreparedIndex;
    TcvBand& header = *page.Band(btCrossHeader);
    TcvBand& data = *page.Band(btCrossData);
    TcvBand& footer = *page.Band(btCrossFooter);
    const TcvBand* master = page.DataBand(btMasterData);
    page.ColumnCounter = 1;
    int32_t x = 0;
    if (header.HasObjects()) {
        DrawCrossObjects(header, header.Left);
        x = header.Left + header.Width;
    }
    if (data.HasObjects() && data.ReportDataSet && master && master->ReportDataSet)
        x = PrintCrossColumns(data, *master, x == 0 ? data.Left : x);
    // Columns that reached the page limit stop the row: the footer would add one more page.
    if (footer.HasObjects() && !page.Run->Report.Terminated) {
        if (x == 0) x = footer.Left;
        CrossSpace(x, footer.Width);
        DrawCrossObjects(footer, x);
    }
    page.Run->SelectPreparedPage(startPage);
}

}  // namespace tessaly
