// tessaly-cli pdf, print and text, run as a program on the sample reports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "CliRun.h"
#include "common/PdfPages.h"
#include "common/TestFiles.h"

namespace fs = std::filesystem;
using tessaly::testing::CliResult;
using tessaly::testing::MediaBoxes;
using tessaly::testing::ReadText;
using tessaly::testing::RunShell;
using tessaly::testing::TempFolder;

namespace {

// Runs a shell command; its standard error is kept without Qt's notes about the environment.
CliResult Shell(const std::string& command) {
    CliResult r = RunShell(command);
    r.err = std::regex_replace(r.err, std::regex("QStandardPaths:[^\n]*\n"), "");
    return r;
}

// tessaly-cli with the arguments, `env` (variable settings) before it.
CliResult Cli(const std::string& args, const std::string& env = "") {
    return Shell(env + " " + std::string(TESSALY_BIN_DIR) + "/tessaly-cli " + args);
}

std::string Example(const char* name) { return (fs::path(TESSALY_SOURCE_DIR) / "examples" / name).string(); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class CliPrint : public ::testing::Test {
protected:
    TempFolder dir_{"cli-print"};
};

}  // namespace

TEST_F(CliPrint, TextListsEachPagesItemsInPositionOrder) {
    CliResult r = Cli("text " + Example("mixed.cvp"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              (std::vector<std::string>{"--- page 1", "521 287 A4 210 x 297 mm", "561 346 210 x 297 mm",
                                        "1072 350 Pagina 1 di 7"}));
    EXPECT_EQ(lines[20], "--- page 6");
    EXPECT_EQ(lines[21], "300 137 Formato personalizzato");
    EXPECT_EQ(lines.back(), "1072 350 Pagina 7 di 7");

    // Into a file, the same text; the listing's euro signs come out in UTF-8.
    ASSERT_EQ(Cli("text " + Example("mixed.cvp") + " -o " + (dir_ / "mixed.txt").string()).exitCode, 0);
    EXPECT_EQ(ReadText(dir_ / "mixed.txt"), r.out);
    CliResult listing = Cli("text " + Example("listing.cvp"));
    EXPECT_NE(listing.out.find("122 607 \u20ac 39,63\n"), std::string::npos);
}

TEST_F(CliPrint, PdfHasAPagePerReportPageEachOnItsOwnPaper) {
    const fs::path out = dir_ / "mixed.pdf";
    CliResult r = Cli("pdf " + Example("mixed.cvp") + " -o " + out.string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    // A4, A5, Letter, A3 landscape, DL landscape, 120 x 180 mm, A4 at half scale.
    EXPECT_EQ(MediaBoxes(ReadText(out)), (std::vector<std::pair<int, int>>{
                                             {595, 842}, {420, 595}, {612, 792}, {1191, 842}, {624, 312},
                                             {340, 510}, {297, 420}}));

    // The pages are vectors: their text can be taken out again, page by page.
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "no pdftotext";
    for (int page : {1, 4, 7}) {
        std::string p = std::to_string(page);
        CliResult text = Shell("pdftotext -f " + p + " -l " + p + " '" + out.string() + "' -");
        EXPECT_NE(text.out.find("Pagina " + p + " di 7"), std::string::npos) << text.out;
    }
}

TEST_F(CliPrint, RefusesWhatItCannotDo) {
    const fs::path out = dir_ / "x.pdf";
    struct Case {
        std::string args;
        std::string env;
        int exitCode;  // 2 wrong usage, 1 failed work
        std::string error;
    } cases[] = {
        {"pdf " + Example("mixed.cvp"), "", 2, "uso: tessaly-cli pdf IN.cvp -o OUT.pdf\n"},
        {"pdf " + (dir_ / "none.cvp").string() + " -o " + out.string(), "", 1, ""},
        {"pdf " + Example("mixed.cvp") + " -o " + (dir_ / "no" / "x.pdf").string(), "", 1, ""},
        {"print " + Example("mixed.cvp") + " --copies 0", "", 2,
         "uso: tessaly-cli print IN.cvp [--printer NOME] [--from N] [--to M] [--copies C] [--collate]\n"},
        {"print " + Example("mixed.cvp") + " --from x", "", 2,
         "uso: tessaly-cli print IN.cvp [--printer NOME] [--from N] [--to M] [--copies C] [--collate]\n"},
        {"print " + Example("mixed.cvp"), "CUPS_SERVER=/nonexistent/cups.sock", 1, "Nessuna stampante disponibile.\n"},
        {"text", "", 2, "uso: tessaly-cli text IN.cvp [-o OUT.txt]\n"},
    };
    for (const auto& c : cases) {
        CliResult r = Cli(c.args, c.env);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
        if (!c.error.empty()) {
            EXPECT_EQ(r.err, c.error) << c.args;
        }
        EXPECT_FALSE(r.err.empty()) << c.args;
    }
    EXPECT_FALSE(fs::exists(out));
}
