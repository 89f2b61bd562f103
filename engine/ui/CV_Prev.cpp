#include "engine/ui/CV_Prev.h"

#include <algorithm>
#include <map>

#include <QCursor>
#include <QGuiApplication>
#include <QHideEvent>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "platform/core/QtStrings.h"
#include "platform/core/Stream.h"

namespace tessaly {

namespace {

void RemoveFromPreviewList(TcvPreview* window) {
    auto it = std::find(PreviewList.begin(), PreviewList.end(), window);
    if (it != PreviewList.end()) PreviewList.erase(it);
}

// The preview unit's cursors, loaded from the program's resources; the hot spot of each image is
// noted beside it.
struct CursorResource {
    int number;
    const char* name;
    int hotX, hotY;
};
constexpr CursorResource kCursorResources[] = {
    {crHandFlat, "HAND_FLAT", 15, 15}, {crHandGrab, "HAND_GRAB", 15, 15}, {crMoveAll, "MOVE_ALL", 15, 15},
    {crMoveN, "MOVE_N", 15, 15},       {crMoveS, "MOVE_S", 15, 15},       {crMoveE, "MOVE_E", 15, 15},
    {crMoveW, "MOVE_W", 15, 15},       {crMoveNE, "MOVE_NE", 15, 15},     {crMoveNW, "MOVE_NW", 15, 15},
    {crMoveSE, "MOVE_SE", 15, 15},     {crMoveSW, "MOVE_SW", 15, 15},
};

std::map<int, QCursor>& Cursors() {
    static std::map<int, QCursor> cursors;
    return cursors;
}

// Pixmaps need a running GUI application: cursors are made on first use when the unit started
// without one.
void LoadCursors() {
    if (!Cursors().empty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    for (const CursorResource& c : kCursorResources) {
        QImage image(QString(":/cursors/") + c.name);
        if (image.isNull()) continue;
        Cursors().emplace(c.number, QCursor(QPixmap::fromImage(image), c.hotX, c.hotY));
    }
}

}  // namespace

QCursor PreviewCursor(int number) {
    LoadCursors();
    auto it = Cursors().find(number);
    return it != Cursors().end() ? it->second : QCursor(Qt::ArrowCursor);
}

TcvPreview::TcvPreview(TComponent* owner) : QDialog(nullptr), TComponent(owner) {}

TcvPreview::~TcvPreview() {
    RemoveFromPreviewList(this);
    if (!sharedReport_) delete Report;
}

void TcvPreview::SetCaption(const AnsiString& caption) {
    setWindowTitle(ToQString(caption));
}

void TcvPreview::ShowMaximizedOnScreen() {
    // Without a window manager a maximise request is not honoured: take the screen explicitly.
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState((windowState() & ~Qt::WindowFullScreen) | Qt::WindowMaximized);
}

void TcvPreview::ShowReport(TcvReport* report) {
    if (isVisible()) close();
    sharedReport_ = report->ModalPreview();
    if (sharedReport_) {
        Report = report;
        ReportChanged();
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        ShowMaximizedOnScreen();
        exec();  // the window may be gone when this returns
        return;
    }
    MemoryStream transfer;
    report->EMFPages().SaveToStream(transfer);
    Report = new TcvReport(Owner());
    transfer.SetPosition(0);
    Report->EMFPages().LoadFromStream(transfer);
    ReportChanged();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    ShowMaximizedOnScreen();
    show();
}

void TcvPreview::DrawPage(QPainter*, int, const QRect&) {}

void TcvPreview::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Minimising sends a spontaneous hide; only a real hide (close) ends the window.
    if (!event->spontaneous()) DoHide();
}

void TcvPreview::DoHide() {
    if (!sharedReport_) {
        delete Report;
        Report = nullptr;
        sharedReport_ = true;
    }
    RemoveFromPreviewList(this);
    deleteLater();
}

TcvPreviewWindow* CreateStandardPreview(TComponent* owner) { return new TStandardPreview(owner); }

void InitPreviewUnit() {
    LoadCursors();
    PreviewFormClass = &CreateStandardPreview;
}

void DonePreviewUnit() {
    Cursors().clear();
    PreviewFormClass = nullptr;
}

}  // namespace tessaly
