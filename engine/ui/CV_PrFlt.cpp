#include "engine/ui/CV_PrFlt.h"

#include <algorithm>
#include <vector>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "platform/core/Errors.h"

namespace tessaly {

bool ExportCancelled = false;

namespace {

std::vector<TExportFilterEntry>& Registry() {
    static std::vector<TExportFilterEntry> entries;
    return entries;
}

}  // namespace

bool RegisterExportFilter(TcvExportFilterClass filterClass, const AnsiString& description, const AnsiString& mask) {
    auto& entries = Registry();
    if (!filterClass || entries.size() >= MaxExportFilters || FindExportFilter(filterClass)) return false;
    entries.push_back({filterClass, description, mask});
    return true;
}

void UnregisterExportFilter(TcvExportFilterClass filterClass) {
    auto& entries = Registry();
    std::erase_if(entries, [&](const TExportFilterEntry& e) { return e.FilterClass == filterClass; });
}

int ExportFilterCount() { return static_cast<int>(Registry().size()); }

const TExportFilterEntry& ExportFilterEntry(int index) {
    if (index < 0 || index >= ExportFilterCount()) throw EListError(index);
    return Registry()[index];
}

const TExportFilterEntry* FindExportFilter(TcvExportFilterClass filterClass) {
    for (const auto& e : Registry())
        if (e.FilterClass == filterClass) return &e;
    return nullptr;
}

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
    Label1->setText(QString::fromStdString(Cp1252ToUtf8(text)));
    Label1->adjustSize();
}

void TProgressFilterForm::Button1Click() {
    ExportCancelled = true;
    SetModalResult(mrCancel);
}

}  // namespace tessaly
