#pragma once
// The report's text as plain text, through an export filter: per page a line "--- page N", then
// one line "Y X text" per text item in position order, the text in UTF-8 with control characters
// as blanks. What `tessaly-cli text` prints and the viewer saves as ".txt".
#include <filesystem>
#include <string>

#include "engine/report/CV_Export.h"

namespace tessaly {

class TPlainTextFilter : public TcvExportFilter {
public:
    using TcvExportFilter::TcvExportFilter;

    void BeginPage(int width, int height) override;
    void AddText(int x, int y, const AnsiString& text, const TExportFont& font) override;

private:
    void Write(const std::string& s) { Output.WriteBuffer(s.data(), s.size()); }
    int page_ = 0;
};

inline constexpr TcvExportFilterClass kPlainTextFilter = ExportFilterClass<TPlainTextFilter>;

// Exports the report's text into `file`, all or nothing: a cancelled export answers false and,
// like a failed one, leaves no file and an older file of that name as it was.
bool SaveReportAsText(TcvReport& report, const std::filesystem::path& file);

}  // namespace tessaly
