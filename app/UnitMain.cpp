#include "app/UnitMain.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>

#include "engine/report/CV_Report.h"
#include "engine/ui/CV_OpenFile.h"
#include "engine/ui/UiHooks.h"
#include "platform/core/Errors.h"
#include "platform/core/QtStrings.h"
#include "platform/core/Stream.h"

namespace fs = std::filesystem;

namespace tessaly {

namespace {

constexpr size_t kMaxPath = 260;
const AnsiString kOpenFailed = "Si \xE8 verificato il seguente errore nell'apertura del report.\r\n\r\n";

// The temporary-files directory, ending with a separator.
std::string TemporaryDirectory() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool FileExists(const fs::path& name) {
    std::error_code ec;
    return fs::exists(name, ec) && !fs::is_directory(name, ec);
}

void WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError();
        done += static_cast<size_t>(n);
    }
}

}  // namespace

std::function<std::vector<uint8_t>()> TFormTessaly::BlankReportSource = &BlankReport;

void TFormTessaly::ShowMessage(const AnsiString& text) { UiHooks().ShowInformation(ToQString(text)); }

std::vector<uint8_t> BlankReport() {
    QFile resource(":/EMPTYREPORT");
    if (!resource.open(QIODevice::ReadOnly)) throw EReadError();
    QByteArray bytes = resource.readAll();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

TFormTessaly::TFormTessaly(std::vector<std::string> arguments)
    : QWidget(nullptr), TComponent(nullptr), arguments_(std::move(arguments)) {
    SetName("FormTessaly");
    setObjectName("FormTessaly");
    setWindowTitle("Tessaly");
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    setFont(font);
    move(467, 347);
    resize(200, 64);

    ButtonOpen = new QPushButton("Apri il visualizzatore di report", this);
    ButtonOpen->setObjectName("ButtonOpen");
    ButtonOpen->setGeometry(8, 8, 185, 41);
    connect(ButtonOpen, &QPushButton::clicked, this, &TFormTessaly::ButtonOpenClick);

    OpenDialogReport.DefaultExt = ".cvp";
    OpenDialogReport.Filter = "File di report (*.cvp)|*.CVP|Tutti i file|*.*|Modelli di report (*.cvf)|*.CVF|"
                              "Modelli di report in JSON (*.json)|*.json";
    OpenDialogReport.FilterIndex = 0;
    OpenDialogReport.Title = "Scegli il report da visualizzare";

    cvReportView = new TcvReport(this);
    cvReportView->SetName("cvReportView");
    cvReportView->SetPixelsPerInch(96);
}

TFormTessaly::~TFormTessaly() { DestroyComponents(); }

void TFormTessaly::FormShow() {
    std::string argument = arguments_.size() > 1 ? arguments_[1] : std::string();
    if (!OpenReport(argument)) show();
}

void TFormTessaly::ButtonOpenClick() {
    if (UiHooks().ExecuteFileDialog(OpenDialogReport, this, TFileDialog::Kind::Open))
        OpenReport(OpenDialogReport.FileName);
}

// Creates the next free numbered copy: the name is taken only if it does not exist yet, so a file
// or link that appears in a shared temporary directory is never written through.
fs::path TFormTessaly::MakeTemporaryCopy() {
    std::string dir = TemporaryDirectory();
    std::vector<uint8_t> bytes = BlankReportSource();
    for (unsigned counter = 0;; ++counter) {
        std::string candidate = dir + std::to_string(counter) + ".cv";
        if (counter > 0 && candidate.size() >= kMaxPath) {
            ShowMessage("Impossibile creare il file temporaneo.");
            throw EAbort();
        }
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            throw EFileError("Cannot create file \"" + PathForMessage(candidate) + "\". " +
                             Utf8ToCp1252(std::strerror(errno)));
        }
        try {
            WriteAll(fd, bytes);
        } catch (...) {
            ::close(fd);
            ::unlink(candidate.c_str());
            throw;
        }
        if (::close(fd) != 0) {
            ::unlink(candidate.c_str());
            throw EWriteError();
        }
        return candidate;
    }
}

bool TFormTessaly::OpenReport(fs::path fileName) {
    bool temporary = false;
    try {
        struct Cleanup {
            const fs::path& name;
            const bool& temporary;
            ~Cleanup() {
                std::error_code ec;
                if (temporary && FileExists(name)) fs::remove(name, ec);
            }
        } cleanup{fileName, temporary};

        if (fileName.empty()) {
            fileName = MakeTemporaryCopy();
            temporary = true;
        }
        if (!FileExists(fileName)) {
            ShowMessage("File inesistente.");
            throw EAbort();
        }
        if (!OpenReportFile(*cvReportView, fileName, this)) return false;  // the user cancelled
        cvReportView->ShowPreparedReport();
    } catch (const EngineError& e) {
        ShowMessage(kOpenFailed + e.Message());
        return false;
    } catch (const std::exception& e) {
        ShowMessage(kOpenFailed + Utf8ToCp1252(e.what()));
        return false;
    }
    finished_ = true;
    close();
    return true;
}

void TFormTessaly::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    QCoreApplication::quit();
}

}  // namespace tessaly
