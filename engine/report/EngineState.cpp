#include "engine/report/EngineState.h"

#include <QGuiApplication>
#include <QScreen>

#include "engine/expr/CV_Expr.h"
#include "engine/model/CV_ObjectRun.h"

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
bool ExportCancelled = false;
TExportDialogClass ExportDialogClass = nullptr;
TcvMessageSink MessageSink;
TcvEngineMode EngineMode = emDesign;
QImage BandViewBrush;

namespace {

int ReadScreenPixelsPerInch() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 96;
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

QImage CheckerBitmap() {
    QImage image(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) image.setPixel(x, y, (x + y) % 2 == 0 ? qRgb(255, 255, 255) : qRgb(192, 192, 192));
    return image;
}

}  // namespace

void InitReportUnit() {
    PrintingActive = false;
    PreviewList.clear();
    ScreenPixelsPerInch = ReadScreenPixelsPerInch();
    ScratchList.Clear();
    PageCharset = 1;
    StreamVersion = CurrentStreamVersion;
    RestingRun().Reset();
    ExpressionEvaluator().Run = &RestingRun();
    EngineMode = emDesign;
    BandViewBrush = CheckerBitmap();
}

void DoneReportUnit() {
    ScratchList.Clear();
    if (ExpressionEvaluator().Run == &RestingRun()) ExpressionEvaluator().Run = nullptr;
    RestingRun().Reset();
    BandViewBrush = QImage();
    // Each window takes itself out of the list as it goes.
    std::vector<TcvPreviewWindow*> open = PreviewList;
    for (TcvPreviewWindow* window : open) delete window;
    PreviewList.clear();
}

void ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace tessaly
