// tessaly-cli render FILE [--page N] [--zoom Z] -o OUT.png
// Renders page N of a prepared report (a template is prepared first) at the preview's size (width × PreviewPixelsPerTenthMm ×
// Z/100 pixels, likewise the height), or a metafile at its own pixel size × Z/100, on white, with
// the player.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/Commands.h"
#include "cli/GuiApp.h"
#include "cli/PrepareSetup.h"
#include "engine/report/CV_OpenTemplate.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/Metafile.h"

namespace tessaly::cli {
namespace {

// The largest picture the command draws, in pixels (800 MB of memory).
constexpr double kMaxPixels = 200.0 * 1000 * 1000;

struct RenderArgs {
    std::string file;
    std::string out;
    int page = 1;
    double zoom = 100;
};

bool ParseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::isfinite(value);
}

bool ParseArgs(const std::vector<std::string>& args, RenderArgs& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        double v = 0;
        if (a == "-o" && hasValue) {
            out.out = args[++i];
        } else if (a == "--page" && hasValue) {
            if (!ParseNumber(args[++i], v) || v < 1 || v != std::floor(v) || v > 1e9) return false;
            out.page = int(v);
        } else if (a == "--zoom" && hasValue) {
            if (!ParseNumber(args[++i], v) || v <= 0 || v > 10000) return false;
            out.zoom = v;
        } else if (!a.empty() && a[0] != '-' && out.file.empty()) {
            out.file = a;
        } else {
            return false;
        }
    }
    return !out.file.empty() && !out.out.empty();
}

bool IsMetafile(const std::string& path) {
    FileStream stream(path, FileStream::Mode::OpenRead);
    uint8_t head[44] = {};
    const auto got = stream.Read(head, sizeof head);
    return emf::StartsLikeEnhancedMetafile(std::span<const uint8_t>(head, got));
}

int WriteImage(const QImage& image, const std::string& out) {
    if (!image.save(QString::fromStdString(out), "PNG")) return Fail("Impossibile scrivere il file " + Utf8ToCp1252(out));
    return 0;
}

// Plays `drawing` onto a white image of w x h pixels and writes it.
int Draw(const emf::Metafile& drawing, double w, double h, const std::string& out) {
    w = std::round(w);
    h = std::round(h);
    if (w < 1 || h < 1 || w * h > kMaxPixels) return Fail("Dimensioni dell'immagine non valide");
    QImage image(int(w), int(h), QImage::Format_RGB32);
    if (image.isNull()) return Fail("Memoria insufficiente per l'immagine");
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        emf::PlayMetafile(painter, drawing, QRectF(0, 0, w, h));
    }
    return WriteImage(image, out);
}

int RenderMetafile(const RenderArgs& a) {
    if (a.page != 1) return Fail("Il metafile ha una sola pagina");
    const emf::Metafile metafile = emf::Metafile::LoadFromFile(a.file);
    return Draw(metafile, metafile.Width() * a.zoom / 100.0, metafile.Height() * a.zoom / 100.0, a.out);
}

int RenderPage(const RenderArgs& a, const TcvEMFPages& pages) {
    if (a.page > pages.Count()) return Fail("Pagina inesistente");
    const PreparedPage& page = pages.Pages(a.page - 1);
    const double factor = PreviewPixelsPerTenthMm * a.zoom / 100.0;
    return Draw(page.Drawing, page.Width * factor, page.Height * factor, a.out);
}

int RenderReport(const RenderArgs& a) {
    if (IsTemplateFile(a.file)) {
        EngineUnits units(nullptr);
        TcvReport report(nullptr);
        LoadReportOrTemplate(report, a.file);
        return RenderPage(a, report.EMFPages());
    }
    EngineUnits units(nullptr);  // the prepared-report reader selects each page's paper
    TcvEMFPages pages(nullptr);
    FileStream stream(a.file, FileStream::Mode::OpenRead);
    pages.LoadFromStream(stream);
    return RenderPage(a, pages);
}

}  // namespace

int RunRender(const Args& args) {
    RenderArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;
    GuiApp<QGuiApplication> app;  // fonts need it
    try {
        return IsMetafile(a.file) ? RenderMetafile(a) : RenderReport(a);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
}

}  // namespace tessaly::cli
