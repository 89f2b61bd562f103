#pragma once
// The application object that the engine's windows, fonts and the PDF writer need in a benchmark;
// it runs offscreen unless a platform is chosen.
#include <QApplication>

namespace tessaly::bench {

class OffscreenApp {
public:
    explicit OffscreenApp(char* programName) : argv_{programName, nullptr}, app_(PrepareArgc(), argv_) {}

private:
    int& PrepareArgc() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc_;
    }

    int argc_ = 1;
    char* argv_[2];
    QApplication app_;
};

}  // namespace tessaly::bench
