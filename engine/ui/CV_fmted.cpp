#include "engine/ui/CV_fmted.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/report/EngineWindows.h"
#include "engine/ui/CV_progr.h"
#include "platform/core/QtStrings.h"

namespace tessaly {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, QPoint at) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->move(at);
    return label;
}

// The decimals of the fixed number formats: what bits 8 to 15 hold.
constexpr int kMaxDecimals = 255;

}  // namespace

TFmtForm::TFmtForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("FmtForm");
    setFont(DialogFont());
    setFixedSize(280, 135);
    setModal(true);

    GroupBox2 = MakeControl<QGroupBox>(this, "GroupBox2", {6, 9, 268, 88});
    ComboBox1 = MakeControl<QComboBox>(GroupBox2, "ComboBox1", {12, 20, 101, 21});
    ComboBox2 = MakeControl<QComboBox>(GroupBox2, "ComboBox2", {124, 20, 129, 21});
    Panel1 = MakeControl<QFrame>(GroupBox2, "Panel1", {8, 52, 249, 33});
    Label5 = MakeLabel(Panel1, "Label5", {0, 8});
    Edit3 = MakeControl<QLineEdit>(Panel1, "Edit3", {68, 4, 25, 21});
    Edit3->setValidator(new QIntValidator(0, kMaxDecimals, Edit3));
    Label6 = MakeLabel(Panel1, "Label6", {116, 8});
    SplEdit = MakeControl<QLineEdit>(Panel1, "SplEdit", {220, 4, 25, 21});
    SplEdit->setMaxLength(1);
    SplEdit->installEventFilter(this);
    Panel2 = MakeControl<QFrame>(GroupBox2, "Panel2", {8, 52, 249, 33});
    Label1 = MakeLabel(Panel2, "Label1", {60, 8});
    Edit1 = MakeControl<QLineEdit>(Panel2, "Edit1", {116, 4, 129, 21});
    for (QFrame* panel : {Panel1, Panel2}) {
        panel->setFrameShape(QFrame::NoFrame);
        panel->hide();
    }
    FrameGroupBoxes({GroupBox2});
    Button1 = MakeControl<QPushButton>(this, "Button1", {120, 104, 75, 25});
    Button1->setDefault(true);
    Button2 = MakeControl<QPushButton>(this, "Button2", {200, 104, 75, 25});

    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(ComboBox1, &QComboBox::activated, this, &TFmtForm::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TFmtForm::ComboBox2Change);
    connect(Edit3, &QLineEdit::textEdited, this, &TFmtForm::Edit3Change);
    connect(SplEdit, &QLineEdit::textEdited, this, &TFmtForm::SplEditChange);
    FormCreate();
}

void TFmtForm::FormCreate() {
    setWindowTitle("Formatta variabile");
    GroupBox2->setTitle("Formato variabile");
    Label5->setText("Cifre decimali");
    Label6->setText("Simbolo frazione");
    Label1->setText("Formato");
    for (QLabel* label : {Label5, Label6, Label1}) label->adjustSize();
    Button1->setText("&OK");
    Button2->setText("&Annulla");
}

void TFmtForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

// Entering the separator's box selects its character, so that typing replaces it (after the
// mouse press that may have brought the focus has placed its cursor).
bool TFmtForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SplEdit && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, SplEdit, [edit = SplEdit] { edit->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

void TFmtForm::FormActivate() {
    Panel1->hide();
    Panel2->hide();
    ComboBox1->clear();
    for (const char* name : FormatCategoryNames) ComboBox1->addItem(ToQString(name));
    const int category = FormatCategory(Format);
    ComboBox1->setCurrentIndex(category < FormatCategoryCount ? category : -1);
    FillSamples(category);
    const int index = FormatIndex(Format);
    ComboBox2->setCurrentIndex(index < ComboBox2->count() ? index : -1);
    ShowPanels();
}

// The samples of a category; none for a category outside the table.
void TFmtForm::FillSamples(int category) {
    ComboBox2->clear();
    if (category < 0 || category >= FormatCategoryCount) return;
    for (const char* sample : FormatSamples[category])
        if (sample) ComboBox2->addItem(ToQString(sample));
}

void TFmtForm::ShowPanels() {
    Panel2->setVisible(FormatIndex(Format) == CustomFormatIndex);
    const bool numberPanel = FormatCategory(Format) == fcNumber && Panel2->isHidden();
    if (numberPanel) {
        Edit3->setText(QString::number(FormatDecimals(Format)));
        SplEdit->setText(ToQString(AnsiString(1, FormatSeparator(Format))));
    }
    Panel1->setVisible(numberPanel);
}

void TFmtForm::ComboBox1Change(int index) {
    if (index < 0) return;
    Format = WithCategory(Format, index);
    FillSamples(index);
    ComboBox2->setCurrentIndex(0);
    Format = WithIndex(Format, 0);
    ShowPanels();
    Edit1->clear();
}

void TFmtForm::ComboBox2Change(int index) {
    if (index < 0) return;
    Format = WithIndex(Format, index);
    ShowPanels();
}

// A text that is no number from 0 to 255 (while typing, an empty box) keeps the decimals.
void TFmtForm::Edit3Change(const QString& text) {
    bool ok = false;
    const int decimals = text.toInt(&ok);
    if (ok && decimals >= 0 && decimals <= kMaxDecimals) Format = WithDecimals(Format, decimals);
}

void TFmtForm::SplEditChange(const QString& text) {
    const AnsiString separator = FromQString(text);
    Format = WithSeparator(Format, separator.empty() ? ',' : separator[0]);
}

int TFmtForm::ShowModal() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    setResult(mrNone);
    return exec() == mrOk ? mrOk : mrCancel;
}

}  // namespace tessaly
