#pragma once
// The windows' dealings with the user that tests replace: the system beep, message boxes, and the
// file and print dialogs. One struct for all of them; by default the real ones.
#include <functional>

#include <QString>

#include "engine/report/CV_Messages.h"
#include "engine/ui/CV_Dialogs.h"

class QPrinter;
class QWidget;

namespace tessaly {

struct TUiHooks {
    std::function<void()> Beep;
    // A command's failure: the message box of an error that reaches the application.
    std::function<void(const QString& message)> ShowError;
    // A warning box with one OK button (the find command's "not found").
    std::function<void(const QString& text, const QString& caption)> ShowWarning;
    // An information box captioned "Informazione" with one OK button (the viewer's messages).
    std::function<void(const QString& text)> ShowInformation;
    // A message of the engine itself (loading a template): a box with that caption, the icon of
    // its kind and one OK button. The engine's message sink comes here while the windows run.
    std::function<void(TMsgDlgType type, const QString& caption, const QString& text)> ShowMessage;
    // Runs a file or print dialog: true when the user confirmed.
    std::function<bool(TFileDialog& dialog, QWidget* parent, TFileDialog::Kind kind)> ExecuteFileDialog;
    std::function<bool(QPrinter& printer, QWidget* parent)> ExecutePrintDialog;
};

// The real beep, boxes and dialogs.
TUiHooks DefaultUiHooks();
// The hooks in force; tests assign to its members (and put DefaultUiHooks() back).
TUiHooks& UiHooks();

}  // namespace tessaly
