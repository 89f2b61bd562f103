#pragma once
// The progress dialog of printing and preparation: shown modally, it runs the operation it was
// handed (its start action) once it is on screen; the operation updates its label and closes it
// by setting its modal result. Its cancel button sets the report's Terminated flag.
#include <exception>
#include <initializer_list>

#include <QDialog>
#include <QFont>
#include <QRect>

#include "engine/report/EngineState.h"
#include "platform/core/Cp1252.h"

class QGroupBox;
class QLabel;
class QObject;
class QPushButton;

namespace tessaly {

class TcvReport;

// The frame both progress dialogs share: 278 x 106, "MS Sans Serif" -11, centred, no close box,
// and the start action run from a posted message. An exception of the start action closes the
// dialog and leaves ShowModal() to the caller.
class TProgressDialog : public QDialog, public TcvProgressView {
    Q_OBJECT
public:
    explicit TProgressDialog(QWidget* parent);

    void SetCaption(const AnsiString& caption) override;
    void SetModalResult(int result) override { done(result); }

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

    void SetLabel(const AnsiString& text) override;
    AnsiString LabelText() const;
    // Remembers the report and runs the dialog; returns its modal result.
    int Show(TcvReport* report) override;
    void Button1Click() override;

private:
    void FormCreate();
};

// The one progress dialog (ProgressForm), made when it is still missing and widgets can be made;
// null when they cannot.
TProgressForm* RequireProgressForm();

// The font of the engine's dialogs: "MS Sans Serif" -11, as the canvas substitutes it.
QFont DialogFont();

// A control of an engine dialog, at the pixel place of its design.
template <class Widget>
Widget* MakeControl(QWidget* parent, const char* name, QRect place) {
    auto* widget = new Widget(parent);
    widget->setObjectName(name);
    widget->setGeometry(place);
    return widget;
}

// Draws each box's frame from the middle of its title line, so that controls placed 14 pixels down
// sit inside it. Called once the boxes' controls exist: a control made inside a box afterwards
// would not take the dialog's font.
void FrameGroupBoxes(std::initializer_list<QGroupBox*> boxes);

// True when the program has a widget application, so that dialogs can be shown.
bool CanShowDialogs();

void InitProgressUnit();
void DoneProgressUnit();

}  // namespace tessaly
