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
#include "bench/common/TemplateObjects.h"
#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/data/MemoryDataset.h"
#include "platform/text/FormatSettings.h"

namespace {

using namespace tessaly;

constexpr int kRows = 10000;

class Listing {
public:
    explicit Listing(bool twoPass) {
        MakeData();
        auto* walker = new TcvDBDataSet(nullptr);
        walker->SetName("righe");
        walker->SetDataSet(data_);
        report_->AddDataset("righe", walker);
        report_->SetShowProgress(false);
        report_->TwoPass = twoPass;
        Band(btPageHeader, 40, 24);
        const char* headings[] = {"Codice", "Descrizione", "Quantit\xE0", "Prezzo", "Data", "Note"};
        const char* fields[] = {"[codice]", "[descrizione]", "[quantita]", "[prezzo]", "[data]", "[note]"};
        for (int i = 0; i < 6; ++i) Text(38 + i * 120, 42, headings[i]);
        Band(btMasterData, 80, 18, "righe");
        for (int i = 0; i < 6; ++i) Text(38 + i * 120, 80, fields[i]);
        Band(btPageFooter, 120, 24);
        Text(600, 122, twoPass ? "Pagina [PAGE#] di [TOTALPAGES]" : "Pagina [PAGE#]");
    }
    TcvReport& Report() { return *report_; }

private:
    void MakeData() {
        data_->SetColumns({{"codice", data::FieldKind::String}, {"descrizione", data::FieldKind::String},
                           {"quantita", data::FieldKind::Integer}, {"prezzo", data::FieldKind::Float},
                           {"data", data::FieldKind::DateTime}, {"note", data::FieldKind::String}});
        for (int i = 1; i <= kRows; ++i)
            data_->AppendRow({Variant("A" + std::to_string(10000 + i)), Variant("Articolo " + std::to_string(i % 977)),
                              Variant(i % 50), Variant(i * 0.37), Variant::DateTime(45000 + i % 365),
                              Variant(i % 3 ? "" : "da ordinare")});
    }
    void Band(int type, int top, int height, const char* dataset = "") { bench::AddBand(*report_, type, top, height, dataset); }
    void Text(int left, int top, const char* text) { bench::AddText(*report_, left, top, 115, text); }

    TComponent owner_{nullptr};
    data::MemoryDataset* data_ = new data::MemoryDataset(&owner_);
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
                    one, two, two / one, CounterValue("OnePass", "pages"), kRows);
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
