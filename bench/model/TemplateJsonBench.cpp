// Converting a template of 10,000 objects (text objects with fonts, frames and fills, in bands over
// 10 pages) between its ".cvf" stream and its JSON form, either way, next to loading and saving the
// same template as ".cvf" (the references); prints the times and their ratios. Goal: each
// conversion under 0.2 s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_TemplateJson.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Stream.h"

using namespace tessaly;

namespace {

constexpr int kPages = 10;
constexpr int kObjectsPerPage = 1000;

void AddObjects(TcvReport& report, TcvPage& page) {
    for (int i = 0; i < kObjectsPerPage; ++i) {
        const int row = i / 10, column = i % 10;
        if (column == 0) {
            auto band = std::make_unique<TcvBandView>(&report);
            band->SetBandType(i == 0 ? btPageHeader : btMasterData);
            band->Top = row * 20, band->Width = 794, band->Height = 20;
            band->FormatText = i == 0 ? "" : "righe";
            page.AddObject(std::move(band));
            continue;
        }
        auto memo = std::make_unique<TcvMemoView>(&report);
        memo->Left = column * 75, memo->Top = row * 20, memo->Width = 75, memo->Height = 18;
        memo->MemoLines.Add("[righe.campo" + std::to_string(column) + "] \xE8 " + std::to_string(i));
        memo->Font.Style = i % 3 == 0 ? emf::fsBold : 0;
        memo->Alignment = column > 5 ? taRight | taMiddle : taMiddle;
        memo->FrameSides = fsBottom;
        memo->FillColor = i % 2 ? clNoFill : 0xF0F0F0;
        page.AddObject(std::move(memo));
    }
}

std::vector<uint8_t> TemplateBytes() {
    TcvReport report(nullptr);
    for (int p = 0; p < kPages; ++p) AddObjects(report, p == 0 ? report.Pages().Pages(0) : report.Pages().Add());
    MemoryStream stream;
    report.SaveToStream(stream);
    return stream.TakeData();
}

const std::vector<uint8_t>& Cvf() {
    static const std::vector<uint8_t> bytes = TemplateBytes();
    return bytes;
}

const std::string& Json() {
    static const std::string text = TemplateStreamToJson(Cvf());
    return text;
}

// The references: the template loaded from its stream and saved to it.
void LoadCvf(benchmark::State& state) {
    for (auto _ : state) {
        TcvReport report(nullptr);
        MemoryStream in(Cvf());
        report.LoadFromStream(in);
        benchmark::DoNotOptimize(report.Pages().Count());
    }
}

void SaveCvf(benchmark::State& state) {
    TcvReport report(nullptr);
    MemoryStream in(Cvf());
    report.LoadFromStream(in);
    for (auto _ : state) {
        MemoryStream out;
        report.SaveToStream(out);
        benchmark::DoNotOptimize(out.Data().size());
    }
}

void CvfToJson(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(TemplateStreamToJson(Cvf()).size());
}

void JsonToCvf(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(JsonToTemplateStream(Json()).size());
}

#define TESSALY_JSON_BENCH(fn) \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true)
TESSALY_JSON_BENCH(LoadCvf);
TESSALY_JSON_BENCH(SaveCvf);
TESSALY_JSON_BENCH(CvfToJson);
TESSALY_JSON_BENCH(JsonToCvf);

class RatioReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const double load = RealTime("LoadCvf"), save = RealTime("SaveCvf");
        const double toJson = RealTime("CvfToJson"), fromJson = RealTime("JsonToCvf");
        if (load <= 0 || save <= 0 || toJson <= 0 || fromJson <= 0) return;
        std::printf("\nmedians: .cvf -> JSON %.1f ms = %.2f x the .cvf save (goal: under 200 ms)\n", toJson,
                    toJson / save);
        std::printf("JSON -> .cvf %.1f ms = %.2f x the .cvf load (goal: under 200 ms)\n", fromJson, fromJson / load);
        std::printf("loading the JSON form (JSON -> .cvf, then the load) = %.2f x the .cvf load\n",
                    (fromJson + load) / load);
    }
};

}  // namespace

int main(int argc, char** argv) {
    tessaly::bench::OffscreenApp app(argv[0]);  // text objects measure their fonts
    EngineUnits units(nullptr);
    std::printf("template: %d objects on %d pages, %.1f MB as .cvf, %.1f MB as JSON\n", kPages * kObjectsPerPage,
                kPages, double(Cvf().size()) / 1e6, double(Json().size()) / 1e6);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
