#pragma once
// For the targets that read templates or prepare them.
#include "FuzzGui.h"
#include "engine/report/CV_Startup.h"
#include "engine/report/EngineState.h"

// The engine's units started, its message boxes (a template's loading problems) discarded.
inline void StartQuietEngine(int* argc, char*** argv) {
    StartGuiApplication(argc, argv);
    static tessaly::EngineUnits units(nullptr);
    tessaly::MessageSink = [](tessaly::TMsgDlgType, const tessaly::AnsiString&, const tessaly::AnsiString&) {};
}
