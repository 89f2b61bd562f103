#include "engine/report/EngineState.h"

#include <QGuiApplication>
#include <QScreen>

namespace tessaly {

TcvReport* CurReport = nullptr;
std::vector<TcvPreviewWindow*> PreviewList;
TcvProgressView* ProgressForm = nullptr;
bool PrintingActive = false;
StringList ScratchList;
int PageCharset = 1;
int ScreenPixelsPerInch = 96;
int StreamVersion = CurrentStreamVersion;
TPreviewFormClass PreviewFormClass = nullptr;
TPrinterSettings* PrinterSettings = nullptr;
emf::RecordingCanvas* CurPageCanvas = nullptr;
TcvReport* CurrentReport = nullptr;
int TotalPages = 0;
bool ExportCancelled = false;
TExportDialogClass ExportDialogClass = nullptr;

namespace {

int ReadScreenPixelsPerInch() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 96;
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

}  // namespace

void InitReportUnit() {
    PrintingActive = false;
    PreviewList.clear();
    ScreenPixelsPerInch = ReadScreenPixelsPerInch();
    ScratchList.Clear();
    PageCharset = 1;
    StreamVersion = CurrentStreamVersion;
}

void DoneReportUnit() {
    ScratchList.Clear();
    // Each window takes itself out of the list as it goes.
    std::vector<TcvPreviewWindow*> open = PreviewList;
    for (TcvPreviewWindow* window : open) delete window;
    PreviewList.clear();
}

void ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace tessaly
