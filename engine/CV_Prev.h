#pragma once
// Preview windows. TcvPreview shows the prepared pages of a report, modally on the caller's report
// or on its own private copy; TStandardPreview is the standard window that ShowPreparedReport
// creates through PreviewFormClass. (This standard window is still a plain one: it names the
// report and closes on Escape or its close box.)
#include <QDialog>

#include "engine/CV_Component.h"
#include "platform/core/Cp1252.h"

class QLabel;
class QPainter;
class QRect;

namespace tessaly {

class TcvReport;

class TcvPreview : public QDialog, public TComponent {
    Q_OBJECT
public:
    explicit TcvPreview(TComponent* owner);
    ~TcvPreview() override;

    const char* ClassName() const override { return "TcvPreview"; }

    TcvReport* Report = nullptr;

    void SetCaption(const AnsiString& caption);
    // Modal preview: shows the window maximised on `report` and returns when it is closed.
    // Otherwise the window works on a private copy of the pages, stays on top, and this returns.
    virtual void ShowReport(TcvReport* report);
    // Draws one prepared page onto a drawing surface, stretched to `rect`.
    virtual void DrawPage(QPainter* dc, int pageIndex, const QRect& rect);

protected:
    // The window was hidden (closed): free a private copy, leave PreviewList, go away later.
    virtual void DoHide();
    virtual void ReportChanged() {}
    void hideEvent(QHideEvent* event) override;

private:
    void ShowMaximizedOnScreen();
    bool sharedReport_ = true;  // false: Report is this window's private copy
};

class TStandardPreview : public TcvPreview {
    Q_OBJECT
public:
    explicit TStandardPreview(TComponent* owner);
    const char* ClassName() const override { return "TStandardPreview"; }

protected:
    void ReportChanged() override;

private:
    QLabel* label_ = nullptr;
};

TcvPreview* CreateStandardPreview(TComponent* owner);

void InitPreviewUnit();
void DonePreviewUnit();

}  // namespace tessaly
