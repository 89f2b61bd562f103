#pragma once
// Helpers of the preview tests: reports made on the recording canvas, a window shown with a page
// area of a chosen size, pixels of the page area.
#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <memory>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"

namespace tessaly::testing {

using DrawPageFn = std::function<void(emf::RecordingCanvas&, int page)>;

// A report of `pages` A4 portrait pages, each drawn by `draw` (blank without it).
inline std::unique_ptr<TcvReport> MakeReport(int pages, const DrawPageFn& draw = {},
                                             const PageTemplate& paper = PaperTemplate(9)) {
    auto report = std::make_unique<TcvReport>(nullptr);
    for (int i = 0; i < pages; ++i) {
        PreparedPage& page = report->EMFPages().AddPage(paper);
        if (draw) draw(*page.Surface, i);
        page.CloseSurface();
    }
    return report;
}

// A standard preview on `report`, shown (not maximised) and active, so that its page area is `area`
// big.
inline TStandardPreview* OpenPreview(TcvReport* report, QSize area) {
    auto* window = new TStandardPreview(nullptr);
    window->Report = report;
    window->setWindowState(Qt::WindowNoState);
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) return window;
    const QSize frame = window->size() - window->PaintPanel->size();
    window->resize(area + frame);
    // The window the user works in is the active one: keys reach its focused widget.
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
    QApplication::processEvents();
    return window;
}

// Closes the window and lets its deferred destruction happen.
inline void ClosePreview(TStandardPreview* window) {
    QPointer<TStandardPreview> guard(window);
    if (guard && guard->isVisible()) guard->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete guard.data();
}

inline QImage AreaPixels(TStandardPreview* window) {
    return window->PaintPanel->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb Grey(TStandardPreview* window) { return window->PaintPanel->palette().color(QPalette::Window).rgb(); }

}  // namespace tessaly::testing
