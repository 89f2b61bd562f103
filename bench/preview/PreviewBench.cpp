// The preview's painting on the densest page of examples/listing.cvp, at 100 %:
// - one small scroll step (20 pixels): drawing records played for the uncovered strip, as a share
//   of the page's drawing records (goal: under 10 %), and its time;
// - a full repaint of the page area showing the whole page (milliseconds), next to the player
//   drawing the same page into an image of its own (the reference).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <cstdio>
#include <map>
#include <memory>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/UiStartup.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"

using namespace tessaly;

namespace {

struct Sample {
    std::unique_ptr<TcvReport> report;
    int page = 0;           // the page with the most drawing records
    int drawingRecords = 0;
};

std::unique_ptr<Sample> dense;  // made on first use, freed by main while the application lives

Sample& Dense() {
    if (!dense) dense = std::make_unique<Sample>([] {
        Sample s;
        s.report = std::make_unique<TcvReport>(nullptr);
        s.report->LoadPreparedReport(std::string(TESSALY_SOURCE_DIR) + "/examples/listing.cvp");
        for (int i = 0; i < s.report->EMFPages().Count(); ++i) {
            int n = 0;
            for (emf::RecordView r : s.report->EMFPages().Pages(i).Drawing.Records())
                n += emf::HasDrawingBounds(r.Type());
            if (n > s.drawingRecords) s.drawingRecords = n, s.page = i;
        }
        return s;
    }());
    return *dense;
}

// A preview showing the dense page at the top of a page area of the given size.
std::unique_ptr<TStandardPreview> OpenOnDensePage(QSize area) {
    Dense();
    auto w = std::make_unique<TStandardPreview>(nullptr);
    w->Report = Dense().report.get();
    w->setWindowState(Qt::WindowNoState);
    w->show();
    w->resize(area + (w->size() - w->PaintPanel->size()));
    QApplication::processEvents();
    w->ShowPage(Dense().page + 1);
    QApplication::processEvents();
    return w;
}

std::map<std::string, double> results;

void BM_ScrollSmallStep(benchmark::State& state) {
    auto w = OpenOnDensePage(QSize(1000, 700));
    const int top = w->VScroll->value();
    int64_t played = 0, steps = 0;
    bool down = true;
    for (auto _ : state) {
        const int64_t before = w->DrawingRecordsPlayed;
        w->VScroll->setValue(down ? top + w->ScrollSmallChange() : top);  // down and back up by 20
        QApplication::processEvents();
        played += w->DrawingRecordsPlayed - before;
        ++steps;
        down = !down;
    }
    const double perStep = steps ? double(played) / steps : 0;
    state.counters["records_per_step"] = perStep;
    state.counters["page_records"] = Dense().drawingRecords;
    results["share"] = perStep / Dense().drawingRecords;
    results["perStep"] = perStep;
    w->hide();
}

void BM_FullRepaint(benchmark::State& state) {
    auto w = OpenOnDensePage(QSize(1000, 1150));
    for (auto _ : state) w->PaintPanel->repaint();
    w->hide();
}

void BM_PlayPageIntoImage(benchmark::State& state) {
    const emf::Metafile& drawing = Dense().report->EMFPages().Pages(Dense().page).Drawing;
    QImage image(794, 1123, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        emf::PlayMetafile(painter, drawing, QRectF(0, 0, 794, 1123));
    }
}

BENCHMARK(BM_ScrollSmallStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayPageIntoImage)->Unit(benchmark::kMillisecond);

class SummaryReporter : public bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        std::printf("scroll step of 20 px: %.1f of %d drawing records played (%.1f %%, goal under 10 %%), %.2f ms\n",
                    results["perStep"], Dense().drawingRecords, 100 * results["share"], RealTime("BM_ScrollSmallStep"));
        const double full = RealTime("BM_FullRepaint"), play = RealTime("BM_PlayPageIntoImage");
        if (full > 0 && play > 0)
            std::printf("full repaint of a dense A4 page at 100 %%: %.2f ms (the player alone into an image: %.2f ms, "
                        "ratio %.2f)\n",
                        full, play, full / play);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::OffscreenApp app(argv[0]);
    EngineWindowUnits units(nullptr);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    dense.reset();
    return 0;
}
