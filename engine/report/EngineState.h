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
#include "platform/core/Variant.h"

namespace tessaly {

namespace emf {
class RecordingCanvas;
}

class TcvBand;
class TcvReport;
class TcvView;
class TPrinterSettings;
struct TcvPageRun;

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

// Where the engine's own messages go (CV_Messages.h); empty: standard error.
extern TcvMessageSink MessageSink;

// The engine is in design mode until a report is first prepared or printed, and in run mode from
// then on: design mode shows what a designer needs (white fills, corner marks, band views).
enum TcvEngineMode : uint8_t { emDesign, emRun };
extern TcvEngineMode EngineMode;
// The 8 x 8 brush of band views in design mode: white where x + y is even, silver elsewhere.
extern QImage BandViewBrush;

// Preparation state: what a preparation is working on. The name resolver, the text expansion and
// the aggregates read it; the preparation sets it (and TcvReport::Evaluate the report outside one).
extern TcvReport* CurrentReport;     // the report being prepared or evaluated
extern TcvPageRun* CurrentPage;      // the template page being processed, its run-time side
extern TcvBand* CurrentBand;         // the run-time band being processed
extern TcvView* CurrentObject;       // the object being drawn or expanded
extern TcvBand* AggregateBand;       // the data band whose fed objects register their aggregates;
                                     // none outside that pre-scan
extern bool AggregatesSuspended;     // set for a pass that must not count rows
extern bool FirstPass;               // the first of two passes runs
extern int PreparedIndex;            // 0-based index of the prepared page being drawn on
extern int ErrorPageNo;              // template page being run, from 1
extern int TotalPages;               // pages that the first of two passes produced
extern double ReportDate;            // date and time taken when the preparation started
extern double ReportTime;
extern Variant CurrentValue;         // the value that the text expansion computed last
// The order of the prepared pages when they are interleaved: PageOrder[n] is the index of the
// page that goes n-th. Empty when the pages keep their order.
extern std::vector<int> PageOrder;

// The first error of a preparation: the message as raised, and the text shown to the user, which
// names the object, the band and the page. Once recorded, names resolve to nothing.
struct TcvPreparationError {
    bool Recorded = false;
    AnsiString Message;
    AnsiString Text;
};
extern TcvPreparationError PreparationError;

// Puts the preparation state back to its start (the first error and TotalPages excepted).
void ResetPreparationState();

// Export: set by the export dialog's cancel button (the run stops before the next page), and the
// class of that dialog.
extern bool ExportCancelled;
extern TExportDialogClass ExportDialogClass;

// The version written into every stream.
constexpr int CurrentStreamVersion = 29;

void InitReportUnit();
void DoneReportUnit();

}  // namespace tessaly
