#include "engine/ui/CV_OpenFile.h"

#include <string>

#include <QMimeData>
#include <QUrl>
#include <system_error>

#include "engine/report/CV_OpenTemplate.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Dialogs.h"
#include "engine/ui/UiHooks.h"

namespace fs = std::filesystem;

namespace tessaly {

namespace {

// The database of a template that names a module: beside it, or chosen by the user (false when
// the user cancelled).
bool ChooseDatabase(const fs::path& templateFile, QWidget* parent, std::string& database) {
    const fs::path companion = CompanionDatabase(templateFile);
    std::error_code ec;
    if (fs::is_regular_file(companion, ec)) {
        database = companion.string();
        return true;
    }
    TFileDialog dialog;
    dialog.Title = "Scegli il database del modello " + PathForMessage(templateFile.filename());
    dialog.Filter = "Database SQLite (*.sqlite;*.db)|*.sqlite;*.db|Tutti i file|*.*";
    dialog.InitialDir = templateFile.parent_path();
    if (!UiHooks().ExecuteFileDialog(dialog, parent, TFileDialog::Kind::Open)) return false;
    database = dialog.FileName.string();
    return true;
}

}  // namespace

bool OpenReportFile(TcvReport& report, const fs::path& file, QWidget* parent) {
    if (!IsTemplateFile(file)) {
        report.LoadPreparedReport(file);
        return true;
    }
    std::string database;
    if (!TemplateModuleNames(file).empty() && !ChooseDatabase(file, parent, database)) return false;
    return PrepareTemplateInto(report, file, database);
}

fs::path DroppedReportFile(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
    const QString file = urls.first().toLocalFile();
    if (!file.endsWith(".cvp", Qt::CaseInsensitive) && !file.endsWith(".cvf", Qt::CaseInsensitive)) return {};
    return fs::path(file.toStdString());
}

}  // namespace tessaly
