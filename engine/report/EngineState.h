#pragma once
// The engine-wide state: one of each for the whole program, defined in EngineState.cpp. The
// report unit (InitReportUnit / DoneReportUnit) sets it up and clears it; the printer unit makes
// PrinterSettings; the windows' units (engine/ui) install PreviewFormClass, ProgressForm and
// ExportDialogClass.
#include <vector>

#include "engine/report/EngineWindows.h"
#include "platform/core/StringList.h"

namespace tessaly {

namespace emf {
class RecordingCanvas;
}

class TcvReport;
class TPrinterSettings;

extern TcvReport* CurReport;                        // the report currently working
extern std::vector<TcvPreviewWindow*> PreviewList;  // open preview windows
extern TcvProgressView* ProgressForm;               // the one progress dialog (null without windows)
extern bool PrintingActive;                         // a print job runs
extern StringList ScratchList;                      // scratch buffer of stream readers and writers
extern int PageCharset;                             // character set of new prepared pages' surfaces
extern int ScreenPixelsPerInch;
extern int StreamVersion;                           // version byte of the stream being read
extern TPreviewFormClass PreviewFormClass;
extern TPrinterSettings* PrinterSettings;           // the current paper, made by the printer unit
extern emf::RecordingCanvas* CurPageCanvas;         // surface of the page being prepared

// Preparation state: the report most recently prepared and the number of pages its first pass
// counted (the progress label reads them).
extern TcvReport* CurrentReport;
extern int TotalPages;

// Export: set by the export dialog's cancel button (the run stops before the next page), and the
// class of that dialog.
extern bool ExportCancelled;
extern TExportDialogClass ExportDialogClass;

// The version written into every stream.
constexpr int CurrentStreamVersion = 29;

void InitReportUnit();
void DoneReportUnit();

}  // namespace tessaly
