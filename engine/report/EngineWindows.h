#pragma once
// What the engine core knows of its windows. The windows themselves (engine/ui) implement these
// interfaces and install themselves at start-up (PreviewFormClass, ProgressForm,
// ExportDialogClass); without them the core's operations run without windows.
#include <functional>
#include <memory>

#include "platform/core/Cp1252.h"

class QObject;
class QPainter;
class QRect;

namespace tessaly {

class TComponent;
class TcvReport;

// Modal results of the engine's dialogs.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// An operation that a dialog runs once it is shown; the dialog is the sender.
using TStartAction = std::function<void(QObject* sender)>;

// Plays the prepared pages of Report onto a drawing surface: printing draws every sheet through one.
class TcvPageDrawer {
public:
    virtual ~TcvPageDrawer() = default;

    TcvReport* Report = nullptr;

    // Plays page `pageIndex` onto a drawing surface, stretched to `rect` (x, y, width, height:
    // the page's left, top, right - left and bottom - top).
    virtual void DrawPage(QPainter* dc, int pageIndex, const QRect& rect) = 0;
};

// A preview window as ShowPreparedReport and PreviewList see it.
class TcvPreviewWindow : public TcvPageDrawer {
public:
    virtual void SetCaption(const AnsiString& caption) = 0;
    // Modal preview: shows the window on `report` and returns when it is closed. Otherwise the
    // window works on a private copy of the pages and this returns at once.
    virtual void ShowReport(TcvReport* report) = 0;
};

// The window class that ShowPreparedReport and printing create preview windows with.
using TPreviewFormClass = TcvPreviewWindow* (*)(TComponent* owner);

// A progress dialog as the long operations (printing, export, preparation) drive it: shown
// modally, it runs its start action once it is on screen; the action updates the label (and the
// bar) and closes the dialog by setting its modal result.
class TcvProgressView {
public:
    virtual ~TcvProgressView() = default;

    TStartAction StartAction;
    AnsiString LabelPrefix;

    virtual void SetCaption(const AnsiString& caption) = 0;
    virtual void SetLabel(const AnsiString& text) = 0;
    // The bar's position of `maximum`; a dialog without a bar ignores it.
    virtual void SetProgress(int position, int maximum) {}
    // Remembers the report, shows the dialog modally and returns its modal result.
    virtual int Show(TcvReport* report) = 0;
    virtual void SetModalResult(int result) = 0;
};

// Runs `work` inside `form` shown modally (the work sets the dialog's modal result when it ends),
// or at once without a dialog; gives the modal result (mrOk without a dialog). Printing, preparing
// and exporting all run this way; the dialog holds no action afterwards, however the work ends.
int RunInProgress(TcvReport& report, TcvProgressView* form, const std::function<void()>& work);

// Makes the dialog of one export, or null when no dialog can be shown.
using TExportDialogClass = std::unique_ptr<TcvProgressView> (*)();

// Lets pending window messages be processed (nothing without an application object).
void ProcessMessages();

}  // namespace tessaly
