#pragma once
// Helpers of the printing and export tests: prepared pages made as preparation makes them, and a
// drawing window that notes what printing asks it to draw.
#include <functional>
#include <string>
#include <vector>

#include <QPaintDevice>
#include <QPainter>
#include <QRect>

#include "engine/report/CV_Pages.h"
#include "engine/ui/CV_Prev.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_progr.h"
#include "common/EngineSupport.h"

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

// A drawing window that notes each page it is asked to draw, with the rectangle, and what the
// program's state was at that moment; it may also act (cancel, fail) through `onDraw`.
class NotingDrawWindow : public TcvPreview {
public:
    explicit NotingDrawWindow(TComponent* owner) : TcvPreview(owner) { ++alive; }
    ~NotingDrawWindow() override { --alive; }

    struct Drawn {
        int page;
        QRect rect;
        bool printingActive;
        std::string progressLabel;
    };
    void DrawPage(QPainter* dc, int pageIndex, const QRect& rect) override;

    static inline std::vector<Drawn> drawn;
    static inline int alive = 0;
    static inline std::function<void(int page)> onDraw;
};

inline void NotingDrawWindow::DrawPage(QPainter* dc, int pageIndex, const QRect& rect) {
    std::string label = ProgressForm ? ProgressForm->LabelText() : std::string();
    drawn.push_back({pageIndex, rect, PrintingActive, label});
    dc->drawLine(rect.topLeft(), rect.bottomRight());
    if (onDraw) onDraw(pageIndex);
}

inline TcvPreview* CreateNotingDrawWindow(TComponent* owner) { return new NotingDrawWindow(owner); }

}  // namespace tessaly::testing
