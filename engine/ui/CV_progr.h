#pragma once
// The progress dialog of printing and preparation: shown modally, it runs the operation it was
// handed (its start action) once it is on screen; the operation updates its label and closes it
// by setting its modal result. Its cancel button sets the report's Terminated flag.
#include <exception>
#include <functional>

#include <QDialog>
#include <QFont>

#include "platform/core/Cp1252.h"

class QLabel;
class QObject;
class QPushButton;

namespace tessaly {

class TcvReport;

// Modal results of the engine's dialogs.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// An operation that a dialog runs once it is shown; the dialog is the sender.
using TStartAction = std::function<void(QObject* sender)>;

// The frame both progress dialogs share: 278 x 106, "MS Sans Serif" -11, centred, no close box,
// and the start action run from a posted message. An exception of the start action closes the
// dialog and leaves ShowModal() to the caller.
class TProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit TProgressDialog(QWidget* parent);

    TStartAction StartAction;

    void SetCaption(const AnsiString& caption);
    void SetModalResult(int result) { done(result); }

protected:
    // Posts the start message, shows the dialog modally and returns its modal result.
    int ShowModal();
    virtual void Button1Click() = 0;
    // The "Button1" cancel button at the foot of the frame; a click calls Button1Click.
    QPushButton* MakeCancelButton();
    // Escape and the window's closing count as the cancel button.
    void reject() override { Button1Click(); }

private slots:
    void StartMessage();  // the handler of the posted start message

private:
    std::exception_ptr failure_;
};

class TProgressForm : public TProgressDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    TcvReport* Report = nullptr;
    AnsiString LabelPrefix;

    void SetLabel(const AnsiString& text);
    AnsiString LabelText() const;
    // Remembers the report and runs the dialog; returns its modal result.
    int Show(TcvReport* report);
    void Button1Click() override;

private:
    void FormCreate();
};

// The one progress dialog; made at start-up when the program has a window system (else null).
extern TProgressForm* ProgressForm;
// Makes ProgressForm when it is still missing and widgets can be made; null when they cannot.
TProgressForm* RequireProgressForm();

// Preparation state that the progress label reads: the report most recently prepared and the
// number of pages its first pass counted.
extern TcvReport* CurrentReport;
extern int TotalPages;

// The progress label for page n: "prefix  n", or "prefix  n di TotalPages" from the second pass
// of a two-pass preparation on.
AnsiString ProgressLabel(const AnsiString& prefix, int n);

// The font of the engine's dialogs: "MS Sans Serif" -11, as the canvas substitutes it.
QFont DialogFont();

// Lets pending window messages be processed (nothing without an application object).
void ProcessMessages();
// True when the program has a widget application, so that dialogs can be shown.
bool CanShowDialogs();

void InitProgressUnit();
void DoneProgressUnit();

}  // namespace tessaly
