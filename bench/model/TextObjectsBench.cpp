// bench_text_objects: how many single-line text objects (Arial 10, a field value each) are drawn
// per second onto the recording canvas, as a band of fixed height draws them (goal: 300,000), and
// what share of that time the parts take: the expansion of the field, the measuring of the text
// (the object's own width check and the advances of the record) and the writing of the records.
// Pages of 50 rows of 4 objects are closed and begun again as a preparation does.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "engine/model/CV_Memo.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "engine/report/EngineState.h"
#include "platform/data/MemoryDataset.h"

namespace {

using namespace tessaly;

constexpr int kColumns = 4, kRows = 50;

// A report over a dataset of customers and four text objects showing one field each.
class Listing {
public:
    Listing() {
        data_.SetName("Clienti");
        data_.SetColumns({{"nome", data::FieldKind::String}, {"citta", data::FieldKind::String},
                          {"codice", data::FieldKind::String}, {"telefono", data::FieldKind::String}});
        data_.AppendRow({Variant("Rossi Anna"), Variant("Bologna"), Variant("C-10442"), Variant("051 223344")});
        data_.Open();
        const char* fields[kColumns] = {"[Clienti.nome]", "[Clienti.citta]", "[Clienti.codice]", "[Clienti.telefono]"};
        for (int i = 0; i < kColumns; ++i) {
            auto& m = memos_[i] = std::make_unique<TcvMemoView>(&report_);
            m->Left = 40 + i * 180, m->Width = 170, m->Height = 18;
            m->MemoLines.Add(fields[i]);
        }
        EngineMode = emRun;
        NewPage();
    }
    ~Listing() { EngineMode = emDesign; }

    TcvReport& Report() { return report_; }
    emf::RecordingCanvas& Canvas() { return *canvas_; }
    TcvMemoView& Next(int32_t& top) {
        if (column_ == kColumns) column_ = 0, ++row_;
        if (row_ == kRows) NewPage();
        top = 60 + row_ * 20;
        return *memos_[column_++];
    }
    const AnsiString& Value(int column) const { return values_[column]; }

private:
    void NewPage() {
        if (canvas_) benchmark::DoNotOptimize(canvas_->Close());
        canvas_ = std::make_unique<emf::RecordingCanvas>(794, 1123);
        row_ = column_ = 0;
    }

    TComponent owner_{nullptr};
    data::MemoryDataset data_{&owner_};
    TcvReport report_{&owner_};
    std::unique_ptr<TcvMemoView> memos_[kColumns];
    std::unique_ptr<emf::RecordingCanvas> canvas_;
    int row_ = 0, column_ = 0;
    const AnsiString values_[kColumns] = {"Rossi Anna", "Bologna", "C-10442", "051 223344"};
};

template <class Work>
void Run(benchmark::State& state, Work work) {
    EngineUnits units(nullptr);
    Listing listing;
    TcvReport::NameScope names(listing.Report());
    int column = 0;
    for (auto _ : state) {
        int32_t top = 0;
        TcvMemoView& memo = listing.Next(top);
        work(listing, memo, top, column);
        column = (column + 1) % kColumns;
    }
    state.counters["objects/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The whole draw of a band of fixed height: expansion, layout, text record.
void DrawTextObjects(benchmark::State& state) {
    Run(state, [](Listing& l, TcvMemoView& memo, int32_t top, int) {
        memo.Top = top;
        memo.DrawAll(l.Canvas());
    });
}
BENCHMARK(DrawTextObjects);

// The parts.
void ExpandFieldValue(benchmark::State& state) {
    Run(state, [](Listing&, TcvMemoView& memo, int32_t, int) { memo.ExpandText(); });
}
BENCHMARK(ExpandFieldValue);

// The object's own width check, and the advances that its record carries.
void MeasureWidth(benchmark::State& state) {
    Run(state, [](Listing& l, TcvMemoView& memo, int32_t, int column) {
        l.Canvas().Font() = memo.Font.ToCanvasFont();
        benchmark::DoNotOptimize(l.Canvas().TextWidth(l.Value(column)));
    });
}
BENCHMARK(MeasureWidth);

void MeasureAdvances(benchmark::State& state) {
    Run(state, [](Listing& l, TcvMemoView& memo, int32_t, int column) {
        l.Canvas().Font() = memo.Font.ToCanvasFont();
        benchmark::DoNotOptimize(l.Canvas().CharAdvances(l.Value(column)));
    });
}
BENCHMARK(MeasureAdvances);

void WriteTextRecord(benchmark::State& state) {
    Run(state, [](Listing& l, TcvMemoView& memo, int32_t top, int column) {
        l.Canvas().Font() = memo.Font.ToCanvasFont();
        l.Canvas().TextOut(memo.Left + 2, top + 1, l.Value(column));
    });
}
BENCHMARK(WriteTextRecord);

class ShareReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const double draw = CpuTime("DrawTextObjects");
        if (draw <= 0) return;
        const double expand = CpuTime("ExpandFieldValue"), advances = CpuTime("MeasureAdvances"),
                     measure = CpuTime("MeasureWidth") + advances, record = CpuTime("WriteTextRecord");
        // TextOut measures the advances it writes: the record's writing is what remains of it.
        std::printf("%.0f text objects/s (goal >= 300000); each part timed alone, as a share of a draw: "
                    "expansion %.0f%%, measuring %.0f%% (width check %.0f%%, advances %.0f%%), record writing %.0f%%\n",
                    CounterValue("DrawTextObjects", "objects/s"), 100 * expand / draw, 100 * measure / draw,
                    100 * (measure - advances) / draw, 100 * advances / draw, 100 * (record - advances) / draw);
    }
};

}  // namespace

int main(int argc, char** argv) {
    tessaly::bench::OffscreenApp app(argv[0]);
    benchmark::Initialize(&argc, argv);
    ShareReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
