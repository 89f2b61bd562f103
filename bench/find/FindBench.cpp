// Searches a generated 2,000-page listing report (75 text lines and 75 rules a page, about 100 MB:
// the load benchmark's report) for "pagina 2000", which only its last page holds:
// - the preview's find command, from the confirmed dialog to the hit shown (goal: under 100 ms);
// - the search pass alone (the pages played to the search step, as the command runs it);
// - the report-wide match list that tessaly-cli find prints (every page read to its end);
// - counting the matches of "pagina", on every line of every page (150,000 of them), as the preview
//   counts them after a search: in steps between the window's events (goal: under 200 ms, each
//   step short), next to the match list of the same word in one pass (the reference);
// then, once each, the whole tessaly-cli find process (loading included) next to pdftotext piped
// to grep on the same report printed as PDF by tessaly-cli pdf, with the ratio of the two.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "bench/common/PreviewWindow.h"
#include "bench/load/ListingReport.h"
#include "engine/report/CV_FindText.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Find.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_PrevHits.h"
#include "engine/ui/UiHooks.h"
#include "engine/ui/UiStartup.h"

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

constexpr int kPages = 2000;
constexpr const char* kNeedle = "pagina 2000";

fs::path TempFile(const char* suffix) {
    return fs::temp_directory_path() / ("tessaly-bench-find-" + std::to_string(::getpid()) + suffix);
}

std::unique_ptr<TcvReport> report;  // loaded by main while the application lives

std::unique_ptr<TStandardPreview> OpenPreview() { return bench::OpenPreviewWindow(report.get(), QSize(1000, 800)); }

void BM_PreviewFindCommand(benchmark::State& state) {
    auto w = OpenPreview();
    UiHooks().ShowWarning = [&state](const QString&, const QString&) { state.SkipWithError("not found"); };
    for (auto _ : state) {
        QTimer::singleShot(0, [] {
            if (auto* form = qobject_cast<TFindForm*>(QApplication::activeModalWidget())) {
                form->FindText->setEditText(kNeedle);
                form->FindFirstPage->setChecked(true);
                form->OKBtn->click();
            }
        });
        w->Find();
        if (w->HitPage != kPages - 1) state.SkipWithError("wrong hit");
        w->StopBlink();
    }
    w->hide();
}

// The command's page loop by itself, as Find runs it once the dialog is confirmed.
void BM_PreviewSearchPass(benchmark::State& state) {
    auto w = OpenPreview();
    for (auto _ : state) {
        w->Searching = true;
        w->HitShown = false;
        w->SearchText = kNeedle;
        w->MatchCase = false;
        w->PartOfWord = true;
        w->SearchNext = w->SearchPrev = w->FromCurrentPage = false;
        w->MatchCount = 0;
        for (int i = 0; i < w->PageCount() && !w->HitShown; ++i) w->DrawPage(nullptr, i, QRect(0, 0, 10, 10));
        w->Searching = false;
        if (w->HitPage != kPages - 1) state.SkipWithError("wrong hit");
        w->StopBlink();
    }
    w->hide();
}

void BM_MatchList(benchmark::State& state) {
    int total = 0;
    for (auto _ : state)
        total = ForEachTextMatch(report->EMFPages(), TTextQuery{kNeedle}, [](const TTextMatch&) { return true; });
    state.counters["matches"] = total;
}

constexpr const char* kEveryLine = "pagina";
double longestCountStep = 0;

// The preview's count of every match, from the hit shown to the total known, through the event
// loop as the window runs it.
void BM_CountEveryMatchInSteps(benchmark::State& state) {
    TSearchHits hits(nullptr);
    int total = 0;
    for (auto _ : state) {
        hits.Clear();
        hits.Show(report->EMFPages(), TTextQuery{kEveryLine}, 1, 0, 1);
        while (!hits.Counted()) QApplication::processEvents();
        total = hits.Total();
    }
    state.counters["matches"] = total;
    longestCountStep = hits.LongestStepMs();
}

void BM_MatchListOfEveryLine(benchmark::State& state) {
    int total = 0;
    for (auto _ : state)
        total = ForEachTextMatch(report->EMFPages(), TTextQuery{kEveryLine}, [](const TTextMatch&) { return true; });
    state.counters["matches"] = total;
}

BENCHMARK(BM_PreviewFindCommand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountEveryMatchInSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchListOfEveryLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewSearchPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchList)->Unit(benchmark::kMillisecond);

// The median wall time of a shell command over `runs` runs, in milliseconds; its last output in
// `output`.
double TimeCommand(const std::string& command, int runs, std::string& output) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        output.clear();
        const auto start = std::chrono::steady_clock::now();
        FILE* p = popen(command.c_str(), "r");
        if (!p) return -1;
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) output.append(buffer, n);
        if (pclose(p) != 0) return -1;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

class SummaryReporter : public bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        std::printf("find \"%s\" in %d pages: preview command %.1f ms (goal under 100 ms), search pass %.1f ms, "
                    "match list of the whole report %.1f ms\n",
                    kNeedle, kPages, RealTime("BM_PreviewFindCommand"), RealTime("BM_PreviewSearchPass"),
                    RealTime("BM_MatchList"));
        const double steps = RealTime("BM_CountEveryMatchInSteps"), list = RealTime("BM_MatchListOfEveryLine");
        if (list > 0)
            std::printf("count of \"%s\" (%.0f matches) in steps between events: %.1f ms (goal under 200 ms), "
                        "longest step %.1f ms; the match list in one pass %.1f ms; ratio %.2f\n",
                        kEveryLine, CounterValue("BM_CountEveryMatchInSteps", "matches"), steps, longestCountStep,
                        list, steps / list);
    }
};

void CompareWithPdfToText() {
    const fs::path cvp = TempFile(".cvp"), pdf = TempFile(".pdf");
    const std::string cli = std::string(TESSALY_BIN_DIR) + "/tessaly-cli";
    std::string out;
    if (TimeCommand(cli + " pdf '" + cvp.string() + "' -o '" + pdf.string() + "' 2>/dev/null", 1, out) < 0) {
        std::printf("tessaly-cli pdf failed: no comparison with pdftotext\n");
        return;
    }
    // pdftotext puts blanks into words whose letters the generator spaced evenly ("pagi na"): the
    // pattern allows them.
    std::string pattern;
    for (const char* c = kNeedle; *c; ++c) pattern += std::string(pattern.empty() ? "" : " *") + *c;
    const std::string grep = "grep -c '" + pattern + "'";
    const double ours = TimeCommand(cli + " find '" + cvp.string() + "' '" + kNeedle + "' 2>/dev/null | tail -1", 3, out);
    const std::string oursOut = out;
    const double theirs = TimeCommand("pdftotext '" + pdf.string() + "' - 2>/dev/null | " + grep, 1, out);
    if (ours < 0 || theirs < 0) {
        std::printf("a command failed (is pdftotext installed?)\n");
    } else {
        auto trim = [](std::string s) { return s.substr(0, s.find('\n')); };
        std::printf("whole processes on the same report: tessaly-cli find %.0f ms (loading %.0f MB included; %s), "
                    "pdftotext | grep on its %.0f MB PDF %.0f ms (%s lines); ratio %.3f\n",
                    ours, fs::file_size(cvp) / 1e6, trim(oursOut).c_str(), fs::file_size(pdf) / 1e6, theirs,
                    trim(out).c_str(), ours / theirs);
    }
    fs::remove(pdf);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::OffscreenApp app(argv[0]);
    EngineWindowUnits units(nullptr);
    const fs::path cvp = TempFile(".cvp");
    bench::WriteListingReport(cvp, kPages);
    report = std::make_unique<TcvReport>(nullptr);
    report->LoadPreparedReport(cvp);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    report.reset();
    CompareWithPdfToText();
    fs::remove(cvp);
    return 0;
}
