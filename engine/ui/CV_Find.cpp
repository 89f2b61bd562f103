#include "engine/ui/CV_Find.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "engine/ui/CV_progr.h"
#include "platform/core/QtStrings.h"

namespace tessaly {

TFindSettings* FindSettings = nullptr;

void InitFindUnit() {
    if (!FindSettings) FindSettings = new TFindSettings;
}

void DoneFindUnit() {
    delete FindSettings;
    FindSettings = nullptr;
}

TFindForm::TFindForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("FindForm");
    setFont(DialogFont());
    setFixedSize(318, 167);
    setModal(true);

    FindLabel = new QLabel(this);
    FindLabel->setObjectName("FindLabel");
    FindLabel->move(8, 8);
    OKBtn = MakeControl<QPushButton>(this, "OKBtn", {154, 136, 75, 25});
    OKBtn->setDefault(true);
    FindText = new QComboBox(this);
    FindText->setObjectName("FindText");
    FindText->setEditable(true);
    // The list is the history that Find keeps; the box neither adds to it nor completes from it.
    FindText->setInsertPolicy(QComboBox::NoInsert);
    FindText->setCompleter(nullptr);
    FindText->setGeometry(8, 24, 302, 21);
    FindOptions = MakeControl<QGroupBox>(this, "FindOptions", {8, 48, 140, 81});
    FindCase = MakeControl<QCheckBox>(FindOptions, "FindCase", {8, 14, 126, 17});
    FindSub = MakeControl<QCheckBox>(FindOptions, "FindSub", {8, 32, 126, 17});
    FindSub->setChecked(true);
    CancelBtn = MakeControl<QPushButton>(this, "CancelBtn", {234, 136, 75, 25});
    FindOrigin = MakeControl<QGroupBox>(this, "FindOrigin", {152, 48, 156, 81});
    FindFirstPage = MakeControl<QRadioButton>(FindOrigin, "FindFirstPage", {8, 14, 142, 16});
    FindCurrentPage = MakeControl<QRadioButton>(FindOrigin, "FindCurrentPage", {8, 30, 142, 16});
    FindNext = MakeControl<QRadioButton>(FindOrigin, "FindNext", {8, 46, 142, 16});
    FindPrevious = MakeControl<QRadioButton>(FindOrigin, "FindPrevious", {8, 62, 142, 16});
    FindFirstPage->setChecked(true);
    FindNext->setEnabled(false);
    FindPrevious->setEnabled(false);

    FrameGroupBoxes({FindOptions, FindOrigin});

    setTabOrder(FindText, FindCase);
    setTabOrder(FindCase, FindSub);
    setTabOrder(FindSub, FindFirstPage);
    setTabOrder(FindFirstPage, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });
    // Only what the user does counts as an edit: text typed, or an item chosen from the list.
    connect(FindText->lineEdit(), &QLineEdit::textEdited, this, [this] { FindTextChange(); });
    connect(FindText, &QComboBox::activated, this, [this] { FindTextChange(); });
    FormCreate();
}

void TFindForm::FormCreate() {
    setWindowTitle("Trova testo.");
    FindLabel->setText("Testo da trovare");
    FindLabel->adjustSize();
    OKBtn->setText("&OK");
    FindOptions->setTitle("Opzioni");
    FindCase->setText("Maiuscole/minuscole");
    FindSub->setText("Parte di una parola");
    CancelBtn->setText("&Annulla");
    FindOrigin->setTitle("Origine");
    FindFirstPage->setText("Prima pagina");
    FindCurrentPage->setText("Pagina corrente");
    FindNext->setText("Successivo");
    FindPrevious->setText("Precedente");
}

void TFindForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFindForm::FormShow() { FindText->setFocus(); }

void TFindForm::FindTextChange() {
    const bool stepChosen = FindNext->isChecked() || FindPrevious->isChecked();
    FindNext->setEnabled(false);
    FindPrevious->setEnabled(false);
    if (stepChosen) FindFirstPage->setChecked(true);
}

uint8_t TFindForm::Origin() const {
    if (FindFirstPage->isChecked()) return foFirstPage;
    if (FindCurrentPage->isChecked()) return foCurrentPage;
    if (FindNext->isChecked()) return foNext;
    return foPrevious;
}

void TFindForm::SetOrigin(uint8_t origin) {
    QRadioButton* buttons[] = {FindFirstPage, FindCurrentPage, FindNext, FindPrevious};
    // The four buttons exclude each other: checking one unchecks the others.
    buttons[std::min<int>(origin, foPrevious)]->setChecked(true);
}

AnsiString TFindForm::SearchText() const { return FromQString(FindText->currentText()); }

void TFindForm::AddToHistory(const AnsiString& text) {
    for (int i = 0; i < FindText->count(); ++i)
        if (SameText(FromQString(FindText->itemText(i)), text)) return;
    const QString shown = FindText->currentText();
    FindText->addItem(ToQString(text));
    FindText->setEditText(shown);
}

TFindForm::TState TFindForm::State() const {
    return {FindText->currentText(), FindCase->isChecked(), FindSub->isChecked(), FindNext->isEnabled(),
            FindPrevious->isEnabled(), Origin()};
}

void TFindForm::SetState(const TState& state) {
    FindText->setEditText(state.Text);
    FindCase->setChecked(state.MatchCase);
    FindSub->setChecked(state.PartOfWord);
    FindNext->setEnabled(state.NextEnabled);
    FindPrevious->setEnabled(state.PrevEnabled);
    SetOrigin(state.Origin);
}

void TFindForm::LoadSettings(const TFindSettings& settings) {
    FindText->clear();
    for (int i = 0; i < settings.History.Count(); ++i) FindText->addItem(ToQString(settings.History[i]));
    SetState({ToQString(settings.Text), settings.MatchCase, settings.PartOfWord, settings.NextEnabled,
              settings.PrevEnabled, settings.Origin});
}

void TFindForm::StoreSettings(TFindSettings& settings) const {
    settings.MatchCase = FindCase->isChecked();
    settings.PartOfWord = FindSub->isChecked();
    settings.Origin = Origin();
    settings.NextEnabled = FindNext->isEnabled();
    settings.PrevEnabled = FindPrevious->isEnabled();
    settings.Text = SearchText();
    settings.History.Clear();
    for (int i = 0; i < FindText->count(); ++i) settings.History.Add(FromQString(FindText->itemText(i)));
}

int TFindForm::ShowModal() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    setResult(mrNone);
    const int result = exec();
    return result == mrOk ? mrOk : mrCancel;
}

}  // namespace tessaly
