#pragma once
// The application object that fonts, the PDF writer and the engine's hidden windows need. The cli
// never shows a window: it runs offscreen unless the user chose a platform, so it needs no display
// (and main keeps Qt's own diagnostics, such as a missing XDG_RUNTIME_DIR, out of its output).
#include <QByteArray>
#include <QtGlobal>

namespace tessaly::cli {

template <class App>
class GuiApp {
public:
    GuiApp() : app_(PrepareArgc(), argv_) {}

private:
    int& PrepareArgc() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc_;
    }

    int argc_ = 1;
    char name_[12] = "tessaly-cli";
    char* argv_[2] = {name_, nullptr};
    App app_;
};

}  // namespace tessaly::cli
