#pragma once
// The engine-wide state: one of each for the whole program, defined in EngineState.cpp. The
// report unit (InitReportUnit / DoneReportUnit) sets it up and clears it; the printer unit makes
// PrinterSettings; the windows' units (engine/ui) install PreviewFormClass, ProgressForm and
// ExportDialogClass.
#include <vector>

#include <QImage>

#include "engine/report/CV_Messages.h"
#include "engine/report/EngineWindows.h"
#include "platform/core/Cp1252.h"
#include "platform/core/StringList.h"

namespace tessaly {

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

// Where the engine's own messages go (CV_Messages.h); empty: standard error.
extern TcvMessageSink MessageSink;

// The engine is in design mode until a report is first prepared or printed, and in run mode from
// then on: design mode shows what a designer needs (white fills, corner marks, band views).
enum TcvEngineMode : uint8_t { emDesign, emRun };
extern TcvEngineMode EngineMode;
// The 8 x 8 brush of band views in design mode: white where x + y is even, silver elsewhere.
extern QImage BandViewBrush;

// Export: set by the export dialog's cancel button (the run stops before the next page), and the
// class of that dialog.
extern bool ExportCancelled;
extern TExportDialogClass ExportDialogClass;

// The version written into every stream.
constexpr int CurrentStreamVersion = 29;

void InitReportUnit();
void DoneReportUnit();

}  // namespace tessaly
