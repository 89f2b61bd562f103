#pragma once
// A standard preview on a report, shown in a window of the given size (not maximised) with its
// first paint done, for the benchmarks of the preview.
#include <QApplication>

#include <memory>

#include "engine/ui/CV_Prev.h"

namespace tessaly::bench {

inline std::unique_ptr<TStandardPreview> OpenPreviewWindow(TcvReport* report, QSize size) {
    auto w = std::make_unique<TStandardPreview>(nullptr);
    w->Report = report;
    w->setWindowState(Qt::WindowNoState);
    w->show();
    w->resize(size);
    QApplication::processEvents();
    return w;
}

}  // namespace tessaly::bench
