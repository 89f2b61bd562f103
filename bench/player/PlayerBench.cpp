// Milliseconds per page: the player drawing the densest text page of examples/ at 100 % and 200 %,
// next to a program drawing what that page holds directly with QPainter: the same strings with
// drawText at the same places (the recorded alignment turned into a baseline point) in the same
// substituted families, pixel sizes, weights, slants and colours, the same lines with the same pen
// colours and widths, and the same rectangle fills. The ratio (player / direct) is printed at the
// end with a count of what the direct drawing draws; the goal is at most 1.5. Both are measured
// painting the page again and again, so both find their fonts and glyphs cached.
// Also next to pdftoppm rendering the same page from the report's PDF (printed here through the
// engine's PDF printer) at the same size: one process per page, as a program would start it, its
// picture written to /dev/null as PPM; the goal is to be faster.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Print.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/UiStartup.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"
#include "platform/emf/FontSubstitution.h"

using namespace tessaly;

namespace {

struct Text {
    QPointF at;  // destination pixels of the baseline's start
    QFont font;
    QColor colour;
    QString text;
};

struct Line {
    QLineF line;  // destination pixels
    QPen pen;
};

struct Fill {
    QRectF rect;  // destination pixels
    QColor colour;
};

// What a program drawing the page directly would draw, at one zoom.
struct Direct {
    std::vector<Text> texts;
    std::vector<Line> lines;
    std::vector<Fill> fills;
};

struct Page {
    int number = 0;  // 1-based
    emf::Metafile drawing;
    QSizeF size;      // at 100 %
    Direct direct[2];  // at 100 % and 200 %
};

QFont DirectFont(const emf::Font& f, double pixels) {
    const QByteArray face = f.faceName.toUtf8();
    const std::string_view family = emf::SubstituteFace(std::string_view(face.constData(), size_t(face.size())));
    QFont font(QString::fromUtf8(family.data(), qsizetype(family.size())));
    font.setPixelSize(std::max(1, int(pixels + 0.5)));
    font.setWeight(QFont::Weight(std::clamp(f.weight ? f.weight : 400, 1, 1000)));
    font.setItalic(f.italic);
    return font;
}

// Collects the page's strings, lines and fills in destination pixels, as the player meets them.
void Collect(emf::Player& pl, emf::RecordView r, Direct& out) {
    const emf::DeviceContext& dc = pl.Dc();
    if (auto t = emf::ParseExtTextOut(r); t && t->isWide && !t->text.wide.empty()) {
        const QPointF origin = pl.LogicalToDevice(QPointF(0, 0));
        const double em = std::abs(pl.LogicalToDevice(QPointF(0, dc.font.height)).y() - origin.y());
        const QFont font = DirectFont(dc.font, em);
        const QFontMetricsF metrics(font);
        const QString text = QString::fromUtf16(t->text.wide.data(), qsizetype(t->text.wide.size()));
        QPointF at = pl.LogicalToDevice(QPointF(t->text.reference.x, t->text.reference.y));
        if ((dc.textAlign & emf::TA_BASELINE) == emf::TA_TOP) at.ry() += metrics.ascent();
        else if ((dc.textAlign & emf::TA_BASELINE) == emf::TA_BOTTOM) at.ry() -= metrics.descent();
        if ((dc.textAlign & emf::TA_CENTER) == emf::TA_RIGHT) at.rx() -= metrics.horizontalAdvance(text);
        else if ((dc.textAlign & emf::TA_CENTER) == emf::TA_CENTER) at.rx() -= metrics.horizontalAdvance(text) / 2;
        out.texts.push_back({at, font, dc.textColour, text});
        if ((t->text.options & emf::ETO_OPAQUE) || dc.bkMode == emf::OPAQUE)
            out.fills.push_back({QRectF(at.x(), at.y() - metrics.ascent(), metrics.horizontalAdvance(text),
                                        metrics.height()),
                                 dc.bkColour});
    } else if (r.Type() == emf::EMR_LINETO) {
        if (auto p = emf::ParsePoint(r); p && !dc.pen.IsNull()) {
            const double width = std::abs(pl.LogicalToDevice(QPointF(dc.pen.width, 0)).x() -
                                          pl.LogicalToDevice(QPointF(0, 0)).x());
            QPen pen(dc.pen.colour, std::max(1.0, width));
            pen.setCapStyle(Qt::FlatCap);
            out.lines.push_back({QLineF(pl.LogicalToDevice(dc.currentPosition), pl.LogicalToDevice(QPointF(p->x, p->y))),
                                 pen});
        }
    } else if (r.Type() == emf::EMR_BITBLT || r.Type() == emf::EMR_RECTANGLE) {
        auto b = r.Type() == emf::EMR_BITBLT ? emf::ParseBitmap(r) : std::nullopt;
        auto rc = r.Type() == emf::EMR_RECTANGLE ? emf::ParseRect(r) : std::nullopt;
        if (b && b->bitsSrc.empty())
            out.fills.push_back({pl.LogicalToDevice(QRectF(b->xDest, b->yDest, b->cxDest, b->cyDest)), dc.brush.colour});
        else if (rc && !dc.brush.IsNull())
            out.fills.push_back(
                {pl.LogicalToDevice(QRectF(QPointF(rc->left, rc->top), QPointF(rc->right, rc->bottom))), dc.brush.colour});
    }
}

std::string ListingPath() {
    return std::string(TESSALY_SOURCE_DIR) + "/examples/listing.cvp";
}

// The page of examples/listing.cvp with the most text records.
const Page& DensestPage() {
    static std::unique_ptr<Page> page = [] {
        auto p = std::make_unique<Page>();
        TcvEMFPages pages(nullptr);
        FileStream stream(ListingPath(), FileStream::Mode::OpenRead);
        pages.LoadFromStream(stream);
        int best = -1, bestCount = -1;
        for (int i = 0; i < pages.Count(); ++i) {
            int n = 0;
            for (emf::RecordView r : pages.Pages(i).Drawing.Records()) n += r.Type() == emf::EMR_EXTTEXTOUTW;
            if (n > bestCount) best = i, bestCount = n;
        }
        const PreparedPage& chosen = pages.Pages(best);
        p->number = best + 1;
        p->drawing = chosen.Drawing;
        p->size = QSizeF(chosen.Width * PreviewPixelsPerTenthMm, chosen.Height * PreviewPixelsPerTenthMm);
        for (int z = 0; z < 2; ++z) {
            const double scale = z + 1.0;
            QImage scratch(1, 1, QImage::Format_RGB32);
            QPainter painter(&scratch);
            emf::Player player(painter, p->drawing, QRectF(0, 0, p->size.width() * scale, p->size.height() * scale));
            player.Enumerate([&](emf::Player& pl, emf::RecordView r) {
                Collect(pl, r, p->direct[z]);
                return emf::RecordAction::Play;
            });
        }
        return p;
    }();
    return *page;
}

std::filesystem::path PagePdf() {
    return std::filesystem::temp_directory_path() / ("tessaly-bench-player-" + std::to_string(::getpid()) + ".pdf");
}

// The densest page alone, printed into a PDF file as the report prints it.
bool WritePagePdf() {
    TcvReport report(nullptr);
    report.SetShowProgress(false);
    report.LoadPreparedReport(ListingPath());
    auto printer = CreatePdfFilePrinter(PagePdf());
    PrinterSettings->FillPrinters(printer.get());
    bool completed = false;
    report.OnAfterPrint = [&] { completed = true; };
    const int number = DensestPage().number;
    report.PrintPreparedReport(number, number, 1, false);
    const bool ok = completed && printer->Finish();
    PrinterSettings->FillPrinters(nullptr);
    return ok;
}

// Runs a program with its output and errors thrown away; its exit status, or -1.
int RunQuietly(std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

void BM_Player(benchmark::State& state) {
    const Page& page = DensestPage();
    const double scale = double(state.range(0)) / 100.0;
    QImage image(int(page.size.width() * scale + 0.5), int(page.size.height() * scale + 0.5), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        emf::PlayMetafile(painter, page.drawing, QRectF(0, 0, image.width(), image.height()));
    }
    state.counters["texts"] = double(page.direct[0].texts.size());
}

void BM_DirectQPainter(benchmark::State& state) {
    const Page& page = DensestPage();
    const Direct& direct = page.direct[state.range(0) == 200 ? 1 : 0];
    const double scale = double(state.range(0)) / 100.0;
    QImage image(int(page.size.width() * scale + 0.5), int(page.size.height() * scale + 0.5), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        for (const Fill& f : direct.fills) painter.fillRect(f.rect, f.colour);
        for (const Line& l : direct.lines) {
            painter.setPen(l.pen);
            painter.drawLine(l.line);
        }
        for (const Text& t : direct.texts) {
            painter.setFont(t.font);
            painter.setPen(t.colour);
            painter.drawText(t.at, t.text);
        }
    }
}

// pdftoppm at 96 dots per inch draws the page at the player's 100 % size.
void BM_Pdftoppm(benchmark::State& state) {
    static const bool written = WritePagePdf();
    if (!written) {
        state.SkipWithError("the page's PDF could not be printed");
        return;
    }
    const std::string dpi = std::to_string(96 * state.range(0) / 100);
    for (auto _ : state)
        if (RunQuietly({"pdftoppm", "-r", dpi, PagePdf().string()}) != 0) {
            state.SkipWithError("pdftoppm did not run");
            break;
        }
}

BENCHMARK(BM_Player)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectQPainter)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pdftoppm)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints player / direct for each zoom after the usual table.
class RatioReporter : public bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const Direct& d = DensestPage().direct[0];
        std::printf("direct QPainter draws %zu strings (drawText), %zu lines and %zu rectangle fills\n", d.texts.size(),
                    d.lines.size(), d.fills.size());
        for (const char* zoom : {"100", "200"}) {
            const double player = RealTime("BM_Player/" + std::string(zoom));
            const double direct = RealTime("BM_DirectQPainter/" + std::string(zoom));
            const double pdftoppm = RealTime("BM_Pdftoppm/" + std::string(zoom));
            if (player > 0 && direct > 0)
                std::printf("zoom %s %%: player %.2f ms, direct QPainter %.2f ms, ratio %.2f (goal <= 1.5); "
                            "in processor time %.2f\n",
                            zoom, player, direct, player / direct,
                            CpuTime("BM_Player/" + std::string(zoom)) / CpuTime("BM_DirectQPainter/" + std::string(zoom)));
            if (player > 0 && pdftoppm > 0)
                std::printf("zoom %s %%: pdftoppm %.2f ms per page, player / pdftoppm %.3f (goal < 1)\n", zoom,
                            pdftoppm, player / pdftoppm);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApp app(argv[0]);
    EngineWindowUnits units(nullptr);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove(PagePdf());
    return 0;
}
