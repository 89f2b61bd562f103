// tessaly-cli render FILE [--page N] [--zoom Z] -o OUT.png
// Renders a metafile at its own pixel size × Z/100 on white, with the player.
// (Pages of a prepared report follow once the prepared-report reader is in the engine.)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/Commands.h"
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
    if (stream.Read(head, sizeof head) != sizeof head) return false;
    return emf::LoadU32(head) == emf::EMR_HEADER && emf::LoadU32(head + 40) == emf::kEmfSignature;
}

int WriteImage(const QImage& image, const std::string& out) {
    if (!image.save(QString::fromStdString(out), "PNG")) return Fail("Impossibile scrivere il file " + Utf8ToCp1252(out));
    return 0;
}

int RenderMetafile(const RenderArgs& a) {
    if (a.page != 1) return Fail("Il metafile ha una sola pagina");
    const emf::Metafile metafile = emf::Metafile::LoadFromFile(a.file);
    const double w = std::round(metafile.Width() * a.zoom / 100.0);
    const double h = std::round(metafile.Height() * a.zoom / 100.0);
    if (w < 1 || h < 1 || w * h > kMaxPixels) return Fail("Dimensioni dell'immagine non valide");
    QImage image(int(w), int(h), QImage::Format_RGB32);
    if (image.isNull()) return Fail("Memoria insufficiente per l'immagine");
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        emf::PlayMetafile(painter, metafile, QRectF(0, 0, w, h));
    }
    return WriteImage(image, a.out);
}

int Run(const std::vector<std::string>& args) {
    RenderArgs a;
    if (!ParseArgs(args, a)) {
        std::fprintf(stderr, "uso: tessaly-cli render FILE [--page N] [--zoom Z] -o OUT.png\n");
        return 2;
    }
    // Fonts need a GUI application; without a display it draws offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "tessaly-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    try {
        if (IsMetafile(a.file)) return RenderMetafile(a);
        return Fail("Il rendering dei report preparati (.cvp) non \xE8 ancora disponibile: " + Utf8ToCp1252(a.file));
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
}

}  // namespace

TESSALY_CLI_COMMAND("render", "render FILE [--page N] [--zoom Z] -o OUT.png  (metafile; .cvp in arrivo)", Run);

}  // namespace tessaly::cli
