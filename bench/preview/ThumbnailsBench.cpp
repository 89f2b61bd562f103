// The preview's thumbnails panel on a generated 2,000-page listing report (the load benchmark's):
// - opening it with F4 until the thumbnails in view are drawn (goal: under 300 ms), with the
//   number of thumbnails drawn (goal: only those in view, not 2,000);
// - scrolling it by its height, the thumbnails coming into view drawn (what smooth scrolling needs);
// each next to the reference measured in the same run: one full repaint of the page area showing
// a page of the same report at 100 %.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "bench/common/PreviewWindow.h"
#include "bench/load/ListingReport.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_PrevThumbs.h"
#include "engine/ui/UiStartup.h"

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

constexpr int kPages = 2000;

std::unique_ptr<TcvReport> report;  // loaded by main while the application lives
std::map<std::string, double> results;

std::unique_ptr<TStandardPreview> OpenPreview() { return bench::OpenPreviewWindow(report.get(), QSize(1200, 900)); }

void DrawThumbnailsInView(TThumbnailPanel* panel) {
    while (panel->DrawingPending()) QApplication::processEvents();
}

// F4 on a window that never showed its thumbnails, until those in view are drawn.
void BM_OpenThumbnails(benchmark::State& state) {
    int drawn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto w = OpenPreview();
        state.ResumeTiming();
        QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &f4);
        QApplication::processEvents();
        DrawThumbnailsInView(w->Thumbnails);
        state.PauseTiming();
        drawn = w->Thumbnails->ThumbnailsDrawn();
        w.reset();
        state.ResumeTiming();
    }
    state.counters["thumbnails_drawn"] = drawn;
    results["drawn"] = drawn;
}

// The panel scrolled down by its height, the thumbnails coming into view drawn.
void BM_ScrollThumbnails(benchmark::State& state) {
    auto w = OpenPreview();
    w->SetThumbnailsVisible(true);
    TThumbnailPanel* panel = w->Thumbnails;
    DrawThumbnailsInView(panel);
    QScrollBar* bar = panel->verticalScrollBar();
    for (auto _ : state) {
        if (bar->value() >= bar->maximum()) {
            // Back to the top with nothing drawn: the cache would make later steps free.
            state.PauseTiming();
            panel->Reset();
            bar->setValue(0);
            DrawThumbnailsInView(panel);
            state.ResumeTiming();
        }
        bar->setValue(bar->value() + bar->pageStep());
        QApplication::processEvents();
        DrawThumbnailsInView(panel);
    }
}

void BM_FullRepaintOfThePageArea(benchmark::State& state) {
    auto w = OpenPreview();
    for (auto _ : state) w->PaintPanel->repaint();
}

BENCHMARK(BM_OpenThumbnails)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollThumbnails)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaintOfThePageArea)->Unit(benchmark::kMillisecond);

class SummaryReporter : public bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const double open = RealTime("BM_OpenThumbnails"), scroll = RealTime("BM_ScrollThumbnails");
        const double repaint = RealTime("BM_FullRepaintOfThePageArea");
        if (repaint <= 0) return;
        std::printf("thumbnails of %d pages: opened in %.1f ms (goal under 300 ms), %.0f thumbnails drawn (those in "
                    "view); a scroll by the panel's height %.1f ms; a full repaint of the page area %.1f ms: ratios "
                    "%.2f and %.2f\n",
                    kPages, open, results["drawn"], scroll, repaint, open / repaint, scroll / repaint);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::OffscreenApp app(argv[0]);
    EngineWindowUnits units(nullptr);
    const fs::path cvp =
        fs::temp_directory_path() / ("tessaly-bench-thumbnails-" + std::to_string(::getpid()) + ".cvp");
    bench::WriteListingReport(cvp, kPages);
    report = std::make_unique<TcvReport>(nullptr);
    report->LoadPreparedReport(cvp);
    fs::remove(cvp);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    report.reset();
    return 0;
}
