#include "engine/report/CV_TextExport.h"

#include <QTemporaryFile>

#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/QtStrings.h"

namespace tessaly {

void TPlainTextFilter::BeginPage(int, int) { Write("--- page " + std::to_string(++page_) + "\n"); }

void TPlainTextFilter::AddText(int x, int y, const AnsiString& text, const TExportFont&) {
    AnsiString line = text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    Write(std::to_string(y) + " " + std::to_string(x) + " " + Cp1252ToUtf8(line) + "\n");
}

// The export keeps what a cancel left of it (hosts rely on that), so it goes to a hidden scratch
// file beside the target first, and only a complete export is copied into the target atomically.
bool SaveReportAsText(TcvReport& report, const std::filesystem::path& file) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    QTemporaryFile scratch(QString::fromStdString((folder / ("." + file.filename().string() + ".XXXXXX")).string()));
    if (!scratch.open()) throw EFileError("Cannot create file \"" + PathForMessage(file) + "\". " +
                                          FromQString(scratch.errorString()));
    const std::filesystem::path scratchPath = scratch.fileName().toStdString();
    report.ExportTo(kPlainTextFilter, scratchPath);
    if (ExportCancelled) return false;
    FileStream in(scratchPath, FileStream::Mode::OpenRead);
    AtomicFileStream out(file);
    out.CopyFrom(in);
    out.Commit();
    return true;
}

}  // namespace tessaly
