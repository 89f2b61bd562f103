// Prints a generated 500-page listing report (the load benchmark's report: text lines and rules,
// A4) into a PDF file through PrintPreparedReport, next to the player drawing the same pages
// straight into a PDF writer, the least that printing can cost. Prints pages per second, PDF bytes
// per page and the ratio of the two times; the goal is at least 100 pages per second.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <filesystem>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "bench/load/ListingReport.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Print.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/UiStartup.h"
#include "platform/emf/EmfPlayer.h"

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

constexpr int kPages = 500;

fs::path TempFile(const char* suffix) {
    return fs::temp_directory_path() / ("tessaly-bench-print-" + std::to_string(::getpid()) + suffix);
}

TcvReport& Report() {
    static TcvReport* report = [] {
        auto* r = new TcvReport(nullptr);
        r->SetShowProgress(false);
        r->LoadPreparedReport(TempFile(".cvp"));
        return r;
    }();
    return *report;
}

void Counters(benchmark::State& state, const fs::path& pdf) {
    state.counters["pages/s"] = benchmark::Counter(kPages, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["PDF bytes/page"] = double(fs::file_size(pdf)) / kPages;
    fs::remove(pdf);
}

void PrintToPdf(benchmark::State& state) {
    TcvReport& report = Report();
    const fs::path pdf = TempFile(".pdf");
    for (auto _ : state) {
        auto printer = CreatePdfFilePrinter(pdf);
        PrinterSettings->FillPrinters(printer.get());
        bool completed = false;
        report.OnAfterPrint = [&] { completed = true; };
        report.PrintPreparedReport(1, kPages, 1, false);
        if (!completed || !printer->Finish()) state.SkipWithError("the print did not complete");
        PrinterSettings->FillPrinters(nullptr);
    }
    Counters(state, pdf);
}

// The reference: every page played into one PDF writer at the same resolution, nothing else.
void PlayIntoPdfWriter(benchmark::State& state) {
    TcvReport& report = Report();
    const fs::path pdf = TempFile("-direct.pdf");
    for (auto _ : state) {
        QFile file(QString::fromStdString(pdf.string()));
        file.open(QIODevice::WriteOnly);
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        for (int i = 0; i < kPages; ++i) {
            const PreparedPage& page = report.EMFPages().Pages(i);
            if (i > 0) writer.newPage();
            emf::PlayMetafile(painter, page.Drawing,
                              QRectF(0, 0, page.Info.ScreenPageWidth * 6.25, page.Info.ScreenPageHeight * 6.25));
        }
        painter.end();
    }
    Counters(state, pdf);
}

#define TESSALY_PRINT_BENCH(fn) \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)
TESSALY_PRINT_BENCH(PrintToPdf);
TESSALY_PRINT_BENCH(PlayIntoPdfWriter);

class SummaryReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const double print = RealTime("PrintToPdf"), direct = RealTime("PlayIntoPdfWriter");
        if (print <= 0) return;
        std::printf("\nmedians: printing %d pages into a PDF file: %.0f ms, %.0f pages/s (goal: at least 100), "
                    "%.0f PDF bytes/page\n",
                    kPages, print, kPages * 1000.0 / print, CounterValue("PrintToPdf", "PDF bytes/page"));
        if (direct > 0)
            std::printf("print / playing straight into a PDF writer = %.2f (%.0f pages/s); in processor time %.2f\n",
                        print / direct, kPages * 1000.0 / direct, CpuTime("PrintToPdf") / CpuTime("PlayIntoPdfWriter"));
    }
};

}  // namespace

int main(int argc, char** argv) {
    tessaly::bench::OffscreenApp app(argv[0]);
    EngineWindowUnits units(nullptr);
    tessaly::bench::WriteListingReport(TempFile(".cvp"), kPages);
    std::printf("report: %d pages, %.1f MB\n", kPages, double(fs::file_size(TempFile(".cvp"))) / 1e6);
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fs::remove(TempFile(".cvp"));
    return 0;
}
