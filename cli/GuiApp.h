#pragma once
// The application object that fonts, the PDF writer and the engine's hidden windows need. Without
// a display (and without a platform chosen by the user) it runs offscreen.
#include <QByteArray>
#include <QtGlobal>

namespace tessaly::cli {

template <class App>
class GuiApp {
public:
    GuiApp() : app_(PrepareArgc(), argv_) {}

private:
    int& PrepareArgc() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc_;
    }

    int argc_ = 1;
    char name_[12] = "tessaly-cli";
    char* argv_[2] = {name_, nullptr};
    App app_;
};

}  // namespace tessaly::cli
