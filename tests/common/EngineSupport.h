#pragma once
// Helpers of the engine tests: a private folder and whole files (common/TestFiles.h), the engine's
// units, an application object for the tests that need fonts or windows.
#include <QGuiApplication>

#include "common/TestFiles.h"
#include "engine/report/CV_Startup.h"
#include "platform/text/FormatSettings.h"

namespace tessaly::testing {

// Fonts need a GUI application object, windows a widget one (App = QApplication); the first test
// that needs one makes it for all.
template <class App = QGuiApplication>
inline void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_engine";
    static char* argv[] = {name, nullptr};
    new App(argc, argv);
}

// The engine's units under the Italian conventions, for the whole of a test: as a first base
// class, they start before and end after everything the test makes.
struct ItalianEngine {
    EngineUnits units{nullptr};
    FormatSettingsScope italian{FormatSettings::Italian()};
};

}  // namespace tessaly::testing
