// Milliseconds per page: the player drawing the densest text page of examples/ at 100 % and 200 %,
// next to QPainter drawing the same strings at the same places and sizes directly. The ratio
// (player / direct) is printed at the end; the goal is at most 1.5.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <map>
#include <memory>

#include "engine/CV_Pages.h"
#include "engine/CV_Startup.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"

using namespace tessaly;

namespace {

struct Text {
    QPointF at;  // destination pixels of the reference point
    QFont font;
    QColor colour;
    QString text;
};

struct Page {
    emf::Metafile drawing;
    QSizeF size;  // at 100 %
    std::vector<Text> texts[2];  // at 100 % and 200 %
};

// The page of examples/listing.cvp with the most text records.
const Page& DensestPage() {
    static std::unique_ptr<Page> page = [] {
        auto p = std::make_unique<Page>();
        EngineUnits units(nullptr);
        TcvEMFPages pages(nullptr);
        FileStream stream(std::string(TESSALY_SOURCE_DIR) + "/examples/listing.cvp", FileStream::Mode::OpenRead);
        pages.LoadFromStream(stream);
        int best = -1, bestCount = -1;
        for (int i = 0; i < pages.Count(); ++i) {
            int n = 0;
            for (emf::RecordView r : pages.Pages(i).Drawing.Records()) n += r.Type() == emf::EMR_EXTTEXTOUTW;
            if (n > bestCount) best = i, bestCount = n;
        }
        const PreparedPage& chosen = pages.Pages(best);
        p->drawing = chosen.Drawing;
        p->size = QSizeF(chosen.Width * 397.0 / 1050.0, chosen.Height * 397.0 / 1050.0);
        // The strings, places and sizes, as the player sees them.
        for (int z = 0; z < 2; ++z) {
            const double scale = z + 1.0;
            QImage scratch(1, 1, QImage::Format_RGB32);
            QPainter painter(&scratch);
            emf::Player player(painter, p->drawing, QRectF(0, 0, p->size.width() * scale, p->size.height() * scale));
            player.Enumerate([&](emf::Player& pl, emf::RecordView r) {
                if (auto t = emf::ParseExtTextOut(r); t && t->isWide && !t->text.wide.empty()) {
                    const emf::Font& f = pl.Dc().font;
                    const QPointF origin = pl.LogicalToDevice(QPointF(0, 0));
                    const double px = std::abs(pl.LogicalToDevice(QPointF(0, f.height)).y() - origin.y());
                    QFont font(QStringLiteral("Liberation Sans"));
                    font.setPixelSize(std::max(1, int(px + 0.5)));
                    font.setWeight(QFont::Weight(f.weight ? f.weight : 400));
                    p->texts[z].push_back({pl.LogicalToDevice(QPointF(t->text.reference.x, t->text.reference.y)), font,
                                           pl.Dc().textColour,
                                           QString::fromUtf16(t->text.wide.data(), qsizetype(t->text.wide.size()))});
                }
                return emf::RecordAction::Play;
            });
        }
        return p;
    }();
    return *page;
}

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "bench_player";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

std::map<std::string, double> medians;

void BM_Player(benchmark::State& state) {
    App();
    const Page& page = DensestPage();
    const double scale = double(state.range(0)) / 100.0;
    QImage image(int(page.size.width() * scale + 0.5), int(page.size.height() * scale + 0.5), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        emf::PlayMetafile(painter, page.drawing, QRectF(0, 0, image.width(), image.height()));
    }
    state.counters["texts"] = double(page.texts[0].size());
}

void BM_DirectQPainter(benchmark::State& state) {
    App();
    const Page& page = DensestPage();
    const int z = state.range(0) == 200 ? 1 : 0;
    const double scale = double(state.range(0)) / 100.0;
    QImage image(int(page.size.width() * scale + 0.5), int(page.size.height() * scale + 0.5), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        for (const Text& t : page.texts[z]) {
            painter.setFont(t.font);
            painter.setPen(t.colour);
            painter.drawText(t.at, t.text);
        }
    }
}

BENCHMARK(BM_Player)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectQPainter)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// Prints player / direct for each zoom after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                times_[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* zoom : {"100", "200"}) {
            const double player = times_["BM_Player/" + std::string(zoom)];
            const double direct = times_["BM_DirectQPainter/" + std::string(zoom)];
            if (player > 0 && direct > 0)
                std::printf("zoom %s %%: player %.2f ms, direct QPainter %.2f ms, ratio %.2f (goal <= 1.5)\n", zoom,
                            player, direct, player / direct);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
