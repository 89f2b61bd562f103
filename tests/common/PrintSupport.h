#pragma once
// Helpers of the printing and export tests: prepared pages made as preparation makes them, and a
// drawing window that notes what printing asks it to draw.
#include <functional>
#include <string>
#include <vector>

#include <QPainter>
#include <QRect>

#include "common/EngineSupport.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"

namespace tessaly::testing {

// A page on a paper of the table (or a custom size), its metrics from the table as a template
// page takes them; `draw` draws on its recording canvas.
inline PreparedPage& AddPaperPage(TcvReport& report, int code, int orientation, int width = 0, int height = 0,
                                  const std::function<void(emf::RecordingCanvas&)>& draw = {}) {
    PreparedPage& page = report.EMFPages().AddPage(PaperTemplate(code, orientation, width, height));
    if (draw) draw(*page.Surface);
    page.CloseSurface();
    return page;
}

// A drawing window (no widget) that notes each page it is asked to draw, with the rectangle and
// whether a print was running; it may also act (cancel, fail) through `onDraw`.
class NotingDrawWindow : public TcvPreviewWindow {
public:
    explicit NotingDrawWindow(TComponent*) { ++alive; }
    ~NotingDrawWindow() override { --alive; }

    struct Drawn {
        int page;
        QRect rect;
        bool printingActive;
    };
    void SetCaption(const AnsiString&) override {}
    void ShowReport(TcvReport* report) override { Report = report; }
    void DrawPage(QPainter* dc, int pageIndex, const QRect& rect) override {
        drawn.push_back({pageIndex, rect, PrintingActive});
        dc->drawLine(rect.topLeft(), rect.bottomRight());
        if (onDraw) onDraw(pageIndex);
    }

    static inline std::vector<Drawn> drawn;
    static inline int alive = 0;
    static inline std::function<void(int page)> onDraw;
};

inline TcvPreviewWindow* CreateNotingDrawWindow(TComponent* owner) { return new NotingDrawWindow(owner); }

}  // namespace tessaly::testing
