#pragma once
// Helpers of the report-component tests: a private folder and whole files (common/TestFiles.h),
// the engine's units, an application object for the tests that make windows.
#include <QApplication>

#include "common/TestFiles.h"
#include "engine/report/CV_Startup.h"

namespace tessaly::testing {

// Widgets need an application object; the first test that needs one makes it for all.
inline void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_engine";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace tessaly::testing
