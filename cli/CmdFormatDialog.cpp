// tessaly-cli format-dialog [--format CODICE] [--text TESTO] [--shot OUT.png]: the designer's format
// dialog, opened on a format code (decimal or 0x hexadecimal; by default a new object's) and a
// format text. On OK it prints what the dialog holds:
//   format: 0xXXXXXXXX
//   text: TESTO
// and nothing on Annulla. With --shot it draws the dialog into a PNG image and closes it at once,
// without a display; otherwise it needs one (the X or Wayland display of the session).
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/GuiApp.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/report/EngineWindows.h"
#include "engine/ui/CV_fmted.h"
#include "platform/core/QtStrings.h"

namespace tessaly::cli {

namespace {

struct DialogArgs {
    std::optional<uint32_t> format;
    std::string text;  // UTF-8
    std::string shot;
};

bool ParseCode(const std::string& text, uint32_t& code) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (!end || *end != '\0' || v > 0xFFFFFFFFull) return false;
    code = static_cast<uint32_t>(v);
    return true;
}

bool ParseArgs(const Args& args, DialogArgs& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        uint32_t code = 0;
        if (args[i] == "--format" && hasValue && !out.format && ParseCode(args[i + 1], code))
            out.format = code, ++i;
        else if (args[i] == "--text" && hasValue)
            out.text = args[++i];
        else if (args[i] == "--shot" && hasValue && !args[i + 1].empty())
            out.shot = args[++i];
        else
            return false;
    }
    return true;
}

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void Prepare(TFmtForm& form, const DialogArgs& a) {
    form.Format = a.format.value_or(DefaultFormatCode());
    form.Edit1->setText(QString::fromStdString(a.text));
}

int Shot(const DialogArgs& a) {
    GuiApp<QApplication> app;
    TFmtForm form;
    Prepare(form, a);
    form.show();
    QCoreApplication::processEvents();
    if (!form.grab().toImage().save(QString::fromStdString(a.shot), "PNG"))
        return Fail("Impossibile scrivere l'immagine " + Utf8ToCp1252(a.shot));
    return kDone;
}

int Interactive(const DialogArgs& a) {
    int argc = 1;
    char name[] = "tessaly-cli";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    TFmtForm form;
    Prepare(form, a);
    if (form.ShowModal() != mrOk) return kDone;
    std::printf("format: 0x%08X\ntext: %s\n", form.Format, Cp1252ToUtf8(FromQString(form.Edit1->text())).c_str());
    return kDone;
}

}  // namespace

int RunFormatDialog(const Args& args) {
    DialogArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;
    if (!a.shot.empty()) return Shot(a);
    if (!HasDisplay()) return Fail("Nessuno schermo per la finestra: usare --shot FILE.png per vederla in un'immagine");
    return Interactive(a);
}

}  // namespace tessaly::cli
