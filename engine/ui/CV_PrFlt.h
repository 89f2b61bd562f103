#pragma once
// The export dialog TProgressFilterForm, with its progress bar and cancel button, in which
// TcvReport::ExportTo runs an export (CV_Export.h).
#include "engine/ui/CV_progr.h"
#include "platform/core/Cp1252.h"

class QProgressBar;

namespace tessaly {

class TcvReport;

class TProgressFilterForm : public TProgressDialog {
    Q_OBJECT
public:
    explicit TProgressFilterForm(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Button1 = nullptr;
    TcvReport* Report = nullptr;

    void SetLabel(const AnsiString& text) override;
    void SetProgress(int position, int maximum) override;
    int Show(TcvReport* report) override;
    int Show() { return ShowModal(); }
    void Button1Click() override;

private:
    void FormCreate();
};

}  // namespace tessaly
