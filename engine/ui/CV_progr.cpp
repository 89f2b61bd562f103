#include "engine/ui/CV_progr.h"

#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "engine/report/CV_Report.h"
#include "engine/ui/CV_PrFlt.h"
#include "platform/core/QtStrings.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

bool CanShowDialogs() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QFont DialogFont() {
    emf::CanvasFont font;
    font.name = "MS Sans Serif";
    font.height = -11;
    return emf::QtFontFor(font);
}

void FrameGroupBoxes(std::initializer_list<QGroupBox*> boxes) {
    for (QGroupBox* box : boxes)
        box->setStyleSheet("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
                           "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; top: -1px; }");
}

// --- The shared frame -------------------------------------------------------------------------

TProgressDialog::TProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint) {
    setFont(DialogFont());
    setFixedSize(278, 106);
    setModal(true);
}

void TProgressDialog::SetCaption(const AnsiString& caption) { setWindowTitle(ToQString(caption)); }

int TProgressDialog::ShowModal() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    failure_ = nullptr;
    setResult(mrNone);
    QMetaObject::invokeMethod(this, &TProgressDialog::StartMessage, Qt::QueuedConnection);
    int result = exec();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return result;
}

// Exceptions must not cross the event loop: the dialog closes and ShowModal raises it again.
void TProgressDialog::StartMessage() {
    if (!StartAction) return;
    try {
        StartAction(this);
    } catch (...) {
        failure_ = std::current_exception();
        done(mrCancel);
    }
}

QPushButton* TProgressDialog::MakeCancelButton() {
    auto* button = new QPushButton("&Cancel", this);
    button->setObjectName("Button1");
    button->setGeometry(100, 68, 75, 25);
    button->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] { Button1Click(); });
    return button;
}

// --- TProgressForm ----------------------------------------------------------------------------

TProgressForm::TProgressForm(QWidget* parent) : TProgressDialog(parent) {
    setObjectName("ProgressForm");
    SetCaption("ProgressForm");
    Label1 = new QLabel("1", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(20, 32, 237, 13);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Button1 = MakeCancelButton();
    FormCreate();
}

void TProgressForm::FormCreate() { Button1->setText("&Annulla"); }

void TProgressForm::SetLabel(const AnsiString& text) { Label1->setText(ToQString(text)); }

AnsiString TProgressForm::LabelText() const { return FromQString(Label1->text()); }

int TProgressForm::Show(TcvReport* report) {
    Report = report;
    return ShowModal();
}

void TProgressForm::Button1Click() {
    if (Report) Report->Terminated = true;
    SetModalResult(mrCancel);
}

TProgressForm* RequireProgressForm() {
    if (!ProgressForm && CanShowDialogs()) ProgressForm = new TProgressForm();
    return dynamic_cast<TProgressForm*>(ProgressForm);
}

namespace {

std::unique_ptr<TcvProgressView> MakeExportDialog() {
    if (!CanShowDialogs()) return nullptr;
    return std::make_unique<TProgressFilterForm>();
}

}  // namespace

void InitProgressUnit() {
    RequireProgressForm();
    ExportDialogClass = &MakeExportDialog;
}

void DoneProgressUnit() {
    ExportDialogClass = nullptr;
    delete ProgressForm;
    ProgressForm = nullptr;
}

}  // namespace tessaly
