// tessaly-cli info FILE.cvp and copy IN OUT, run as a program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "common/TestFiles.h"

namespace fs = std::filesystem;
using tessaly::testing::CliResult;
using tessaly::testing::ReadFile;
using tessaly::testing::RunCli;
using tessaly::testing::TempFolder;
using tessaly::testing::WriteFile;

namespace {

void U16(std::vector<uint8_t>& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void U32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// The blank report's drawing, reused for pages of other papers.
std::vector<uint8_t> BlankDrawing() {
    std::vector<uint8_t> blank = ReadFile(fs::path(TESSALY_SOURCE_DIR) / "resources" / "EMPTYREPORT.cvp");
    return std::vector<uint8_t>(blank.begin() + 22, blank.end());
}

struct Page {
    uint16_t paper;
    int32_t width, height;
    uint8_t orientation, flag;
};

std::vector<uint8_t> Report(const std::vector<Page>& pages) {
    std::vector<uint8_t> drawing = BlankDrawing(), b = {0, 0};
    U32(b, uint32_t(pages.size()));
    for (const Page& p : pages) {
        U32(b, uint32_t(b.size() + 16 + drawing.size()));
        U16(b, p.paper);
        U32(b, uint32_t(p.width));
        U32(b, uint32_t(p.height));
        b.push_back(p.orientation);
        b.push_back(p.flag);
        b.insert(b.end(), drawing.begin(), drawing.end());
    }
    return b;
}

class CliPrepared : public ::testing::Test {
protected:
    std::string Q(const fs::path& p) const { return "'" + p.string() + "'"; }
    TempFolder dir{"cli"};
};

}  // namespace

TEST_F(CliPrepared, TheBlankReportIsOneA4PageAndCopiesIdentical) {
    fs::path blank = fs::path(TESSALY_SOURCE_DIR) / "resources" / "EMPTYREPORT.cvp";
    CliResult r = RunCli("info " + Q(blank));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "pages: 1\n"
              "page 1: paper 9, 2100 x 2970, orientation 0, flag 1, screen 793 x 1122, "
              "printable 757 x 1086, drawing 684 bytes\n");
    EXPECT_EQ(RunCli("copy " + Q(blank) + " " + Q(dir / "copia")).exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "copia.cvp"), ReadFile(blank)) << "a name without a dot gets .cvp";
}

TEST_F(CliPrepared, MixedPapersShowTheirMetricsAndCopyByteForByte) {
    std::vector<uint8_t> file = Report({{9, 2100, 2970, 0, 1}, {8, 4200, 2970, 1, 0}, {256, 1000, 1500, 0, 3}});
    WriteFile(dir / "misto.cvp", file);
    CliResult r = RunCli("info " + Q(dir / "misto.cvp"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "pages: 3\n"
              "page 1: paper 9, 2100 x 2970, orientation 0, flag 1, screen 793 x 1122, printable 757 x 1086, drawing 684 bytes\n"
              "page 2: paper 8, 4200 x 2970, orientation 1, flag 0, screen 1587 x 1122, printable 1551 x 1086, drawing 684 bytes\n"
              "page 3: paper 256, 1000 x 1500, orientation 0, flag 3, screen 377 x 566, printable 341 x 530, drawing 684 bytes\n");
    EXPECT_EQ(RunCli("copy " + Q(dir / "misto.cvp") + " " + Q(dir / "copia.cvp")).exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "copia.cvp"), file);
}

TEST_F(CliPrepared, DamagedAndMissingFilesGiveTheMessageAndExitOne) {
    std::vector<uint8_t> good = Report({{9, 2100, 2970, 0, 1}, {9, 2100, 2970, 0, 1}});
    WriteFile(dir / "old.cvp", std::vector<uint8_t>{7, 7, 7});
    struct Case {
        size_t keep;
        const char* message;
    } cases[] = {{0, "Stream read error\n"}, {5, "Stream read error\n"}, {40, "Stream read error\n"},
                 {good.size() - 1, "Stream read error\n"}};
    for (const auto& c : cases) {
        WriteFile(dir / "rotto.cvp", std::vector<uint8_t>(good.begin(), good.begin() + long(c.keep)));
        for (const std::string& command : {"info " + Q(dir / "rotto.cvp"), "copy " + Q(dir / "rotto.cvp") + " " + Q(dir / "old.cvp")}) {
            CliResult r = RunCli(command);
            EXPECT_EQ(r.exitCode, 1) << command << " " << c.keep;
            EXPECT_EQ(r.err, c.message) << command << " " << c.keep;
        }
    }
    EXPECT_EQ(ReadFile(dir / "old.cvp"), (std::vector<uint8_t>{7, 7, 7})) << "a failed copy leaves the target alone";

    std::vector<uint8_t> bad = good;
    bad[22 + 40] = 0;  // the first drawing's signature
    WriteFile(dir / "rotto.cvp", bad);
    CliResult r = RunCli("info " + Q(dir / "rotto.cvp"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Metafile is not valid\n");
    EXPECT_EQ(r.out, "");

    r = RunCli("info " + Q(dir / "assente.cvp"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Cannot open file \"" + (dir / "assente.cvp").string() + "\". No such file or directory\n");
}

TEST_F(CliPrepared, TheSampleReportsLoadWithTheirPages) {
    struct Case {
        const char* name;
        const char* firstLines;
    } cases[] = {
        {"listing.cvp", "pages: 20\npage 1: paper 9, 2100 x 2970, orientation 0, flag 1, screen 793 x 1122"},
        {"landscape.cvp", "pages: 1\npage 1: paper 9, 2970 x 2100, orientation 1, flag 1, screen 1122 x 793"},
        {"mixed.cvp", "pages: 7\npage 1: paper 9, 2100 x 2970"},
        {"picture.cvp", "pages: 1\npage 1: paper 9, 2100 x 2970"},
    };
    for (const auto& c : cases) {
        fs::path file = fs::path(TESSALY_SOURCE_DIR) / "examples" / c.name;
        CliResult r = RunCli("info " + Q(file));
        EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.out.rfind(c.firstLines, 0), 0u) << c.name << ":\n" << r.out;
        EXPECT_EQ(RunCli("copy " + Q(file) + " " + Q(dir / c.name)).exitCode, 0);
        EXPECT_EQ(ReadFile(dir / c.name), ReadFile(file)) << c.name;
    }
    CliResult mixed = RunCli("info " + Q(fs::path(TESSALY_SOURCE_DIR) / "examples" / "mixed.cvp"));
    EXPECT_NE(mixed.out.find("page 6: paper 256, 1200 x 1800"), std::string::npos);
    EXPECT_NE(mixed.out.find("page 7: paper 256, 1050 x 1485"), std::string::npos);
}

// copy NEW link.cvp writes through the link: the link stays and the report it leads to is replaced;
// a name without a dot gets ".cvp" also inside a dotted folder.
TEST_F(CliPrepared, CopyOverALinkReplacesTheReportItLeadsTo) {
    const fs::path listing = fs::path(TESSALY_SOURCE_DIR) / "examples" / "listing.cvp";
    fs::create_directories(dir / "mario.rossi");
    const fs::path target = dir / "mario.rossi" / "vendite.cvp";
    WriteFile(target, Report({{9, 2100, 2970, 0, 1}}));
    fs::create_symlink("mario.rossi/vendite.cvp", dir / "link.cvp");

    CliResult r = RunCli("copy " + Q(listing) + " " + Q(dir / "link.cvp"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.cvp"));
    EXPECT_EQ(ReadFile(target), ReadFile(listing));

    ASSERT_EQ(RunCli("copy " + Q(listing) + " " + Q(dir / "mario.rossi" / "copia")).exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "mario.rossi" / "copia.cvp"), ReadFile(listing));
}
