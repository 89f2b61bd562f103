#include "engine/CV_Prev.h"

#include <algorithm>

#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "engine/CV_Pages.h"
#include "engine/CV_Report.h"
#include "platform/core/Stream.h"

namespace tessaly {

namespace {

void RemoveFromPreviewList(TcvPreview* window) {
    auto it = std::find(PreviewList.begin(), PreviewList.end(), window);
    if (it != PreviewList.end()) PreviewList.erase(it);
}

}  // namespace

TcvPreview::TcvPreview(TComponent* owner) : QDialog(nullptr), TComponent(owner) {}

TcvPreview::~TcvPreview() {
    RemoveFromPreviewList(this);
    if (!sharedReport_) delete Report;
}

void TcvPreview::SetCaption(const AnsiString& caption) {
    setWindowTitle(QString::fromStdString(Cp1252ToUtf8(caption)));
}

void TcvPreview::ShowMaximizedOnScreen() {
    // Without a window manager a maximise request is not honoured: take the screen explicitly.
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TcvPreview::ShowReport(TcvReport* report) {
    if (isVisible()) close();
    sharedReport_ = report->ModalPreview();
    if (sharedReport_) {
        Report = report;
        ReportChanged();
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        ShowMaximizedOnScreen();
        exec();
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

TStandardPreview::TStandardPreview(TComponent* owner) : TcvPreview(owner) {
    setObjectName("StandardPreview");
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(this);
    label_->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    grey.setColor(QPalette::WindowText, Qt::white);
    setPalette(grey);
    setAutoFillBackground(true);
}

void TStandardPreview::ReportChanged() {
    int pages = Report ? Report->EMFPages().Count() : 0;
    QString count = pages == 1 ? QString("1 pagina") : QString("%1 pagine").arg(pages);
    label_->setText(windowTitle() + "\n" + count);
}

TcvPreview* CreateStandardPreview(TComponent* owner) { return new TStandardPreview(owner); }

void InitPreviewUnit() { PreviewFormClass = &CreateStandardPreview; }

void DonePreviewUnit() { PreviewFormClass = nullptr; }

}  // namespace tessaly
