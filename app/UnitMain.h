#pragma once
// The viewer's main form: it opens the report named on the command line (or a copy of the blank
// report) in the modal preview and ends the program when the preview closes. It shows itself only
// when opening failed, offering a button that opens a report chosen in a file dialog.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "engine/report/CV_Component.h"
#include "engine/ui/CV_Dialogs.h"
#include "platform/core/Cp1252.h"

class QPushButton;

namespace tessaly {

class TcvReport;

class TFormTessaly : public QWidget, public TComponent {
    Q_OBJECT
public:
    // `arguments`: the command line, program name first.
    explicit TFormTessaly(std::vector<std::string> arguments);
    ~TFormTessaly() override;

    const char* ClassName() const override { return "TFormTessaly"; }

    QPushButton* ButtonOpen = nullptr;
    TFileDialog OpenDialogReport;
    TcvReport* cvReportView = nullptr;

    void FormShow();
    void ButtonOpenClick();
    // Opens and shows a prepared report; with an empty name, a temporary copy of the blank
    // report. True when the preview was shown and closed (the main form then closes).
    bool OpenReport(std::filesystem::path fileName);

    // True once a successful open has closed the main form.
    bool Finished() const { return finished_; }

    // Shows a message (cp1252) in an information box (UiHooks().ShowInformation).
    static void ShowMessage(const AnsiString& text);
    // Where the blank report's bytes come from (the program's resource).
    static std::function<std::vector<uint8_t>()> BlankReportSource;

protected:
    // Closing the main form ends the application.
    void closeEvent(QCloseEvent* event) override;

private:
    std::filesystem::path MakeTemporaryCopy();

    std::vector<std::string> arguments_;
    bool finished_ = false;
};

// The bytes of the built-in blank report.
std::vector<uint8_t> BlankReport();

}  // namespace tessaly
