// bench_prepare: prepared pages per second of a 10,000-row listing (a page header, fixed-height
// rows of six fields, a page footer with the page number) over a memory dataset, in one pass and
// in two passes with "Pagina x di y". Goals: at least 1,000 pages per second in one pass, the two
// passes at least half that.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "bench/prepare/ListingLayout.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/data/MemoryDataset.h"
#include "platform/text/FormatSettings.h"

namespace {

using namespace tessaly;

class Listing {
public:
    explicit Listing(bool twoPass) {
        for (int i = 1; i <= bench::kListingRows; ++i) data_->AppendQtRow(bench::ListingRow(i));
        bench::AddListing(*report_, *data_, twoPass);
    }
    TcvReport& Report() { return *report_; }

private:
    TComponent owner_{nullptr};
    data::MemoryDataset* data_ = new data::MemoryDataset(&owner_, bench::ListingColumns());
    TcvReport* report_ = new TcvReport(&owner_);
};

void Prepare(benchmark::State& state, bool twoPass, bool told = false) {
    EngineUnits units(nullptr);
    FormatSettingsScope italian(FormatSettings::Italian());
    Listing listing(twoPass);
    // A host that follows the dataset's moves: told of every record, at the cost of a call.
    if (told) listing.Report().OnDataSetWork = [](const AnsiString&, data::Dataset*, int32_t&, int) {};
    int pages = 0;
    for (auto _ : state) {
        if (!listing.Report().PrepareReport()) state.SkipWithError("preparation failed");
        pages += listing.Report().EMFPages().Count();
    }
    state.counters["pages"] = double(listing.Report().EMFPages().Count());
    state.counters["pages/s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsRate);
}

void OnePass(benchmark::State& state) { Prepare(state, false); }
void TwoPasses(benchmark::State& state) { Prepare(state, true); }
void OnePassTold(benchmark::State& state) { Prepare(state, false, true); }
BENCHMARK(OnePass)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(TwoPasses)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(OnePassTold)->Unit(benchmark::kMillisecond)->MinTime(2);

class PagesReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const double one = CounterValue("OnePass", "pages/s"), two = CounterValue("TwoPasses", "pages/s");
        const double told = CounterValue("OnePassTold", "pages/s");
        if (one <= 0) return;
        std::printf("one pass: %.0f pages/s (goal >= 1000); two passes: %.0f pages/s, %.2f of one pass (goal >= 0.5); "
                    "%.0f pages of %d rows\n",
                    one, two, two / one, CounterValue("OnePass", "pages"), bench::kListingRows);
        std::printf("one pass with OnDataSetWork: %.2f of one pass (goal >= 0.95)\n", told / one);
    }
};

}  // namespace

int main(int argc, char** argv) {
    tessaly::bench::OffscreenApp app(argv[0]);
    benchmark::Initialize(&argc, argv);
    PagesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
