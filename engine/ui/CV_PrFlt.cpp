#include "engine/ui/CV_PrFlt.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "engine/report/EngineState.h"
#include "platform/core/QtStrings.h"

namespace tessaly {

TProgressFilterForm::TProgressFilterForm(QWidget* parent) : TProgressDialog(parent) {
    setObjectName("ProgressFilterForm");
    SetCaption("Export...");
    Label1 = new QLabel("Label1", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 16, 32, 13);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(8, 32, 257, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Button1 = MakeCancelButton();
    FormCreate();
}

void TProgressFilterForm::FormCreate() {
    SetCaption("Esportazione...");
    Button1->setText("&Annulla");
}

// The label sizes itself to its text, from its left edge.
void TProgressFilterForm::SetLabel(const AnsiString& text) {
    Label1->setText(ToQString(text));
    Label1->adjustSize();
}

void TProgressFilterForm::SetProgress(int position, int maximum) {
    ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(position);
}

int TProgressFilterForm::Show(TcvReport* report) {
    Report = report;
    return ShowModal();
}

void TProgressFilterForm::Button1Click() {
    ExportCancelled = true;
    SetModalResult(mrCancel);
}

}  // namespace tessaly
