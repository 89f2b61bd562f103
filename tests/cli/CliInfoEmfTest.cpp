// tessaly-cli info FILE.emf, run as a program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "CliRun.h"

using tessaly::testing::CliResult;
using tessaly::testing::RunCli;

namespace {

std::filesystem::path Fixtures() {
    const std::filesystem::path dir = std::filesystem::path(TESSALY_FIXTURES_DIR) / "emf";
    return std::filesystem::is_directory(dir) ? dir : std::filesystem::path();
}

}  // namespace

TEST(CliInfoEmf, PrintsCountsFrameSizeAndRecordTypes) {
    if (Fixtures().empty()) GTEST_SKIP() << "no metafile fixtures";
    CliResult r = RunCli("info '" + (Fixtures() / "libemf2svg-test-104.emf").string() + "'");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
              "records: 76\n"
              "bytes: 2480\n"
              "frame: 0 0 1438 1676\n"
              "size: 55 x 63\n"
              "1 EMR_HEADER 1\n"
              "9 EMR_SETWINDOWEXTEX 1\n"
              "10 EMR_SETWINDOWORGEX 1\n"
              "11 EMR_SETVIEWPORTEXTEX 1\n"
              "12 EMR_SETVIEWPORTORGEX 1\n"
              "14 EMR_EOF 1\n"
              "17 EMR_SETMAPMODE 1\n"
              "19 EMR_SETPOLYFILLMODE 1\n"
              "37 EMR_SELECTOBJECT 30\n"
              "38 EMR_CREATEPEN 9\n"
              "39 EMR_CREATEBRUSHINDIRECT 5\n"
              "40 EMR_DELETEOBJECT 13\n"
              "86 EMR_POLYGON16 7\n"
              "87 EMR_POLYLINE16 2\n"
              "91 EMR_POLYPOLYGON16 2\n");
}

// A header that counts 1954 records for the 76 of a sound chain: the file is read, info tells the
// two counts, and it renders.
TEST(CliInfoEmf, AHeaderCountingOtherRecordsIsReadAndToldApart) {
    if (Fixtures().empty()) GTEST_SKIP() << "no metafile fixtures";
    const auto copy = std::filesystem::temp_directory_path() / "tessaly-cli-miscounted.emf";
    std::filesystem::copy_file(Fixtures() / "libemf2svg-test-104.emf", copy, std::filesystem::copy_options::overwrite_existing);
    {
        std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(52);
        const unsigned char count[4] = {0xA2, 0x07, 0, 0};  // 1954
        f.write(reinterpret_cast<const char*>(count), 4);
    }
    CliResult r = RunCli("info '" + copy.string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find("bytes:")), "records: 76\nrecords in the header: 1954 (differs)\n");
    const auto png = std::filesystem::temp_directory_path() / "tessaly-cli-miscounted.png";
    CliResult render = RunCli("render '" + copy.string() + "' -o '" + png.string() + "'");
    EXPECT_EQ(render.exitCode, 0) << render.err;
    EXPECT_TRUE(std::filesystem::exists(png));
    std::filesystem::remove(copy);
    std::filesystem::remove(png);
}

// A file whose record chain is sound but one record's fields are not: its counts, and how many
// records playing leaves out.
TEST(CliInfoEmf, AFileDamagedInsideARecordCountsTheDamagedRecords) {
    if (Fixtures().empty()) GTEST_SKIP() << "no metafile fixtures";
    CliResult r = RunCli("info '" + (Fixtures() / "libemf2svg-bad_corrupted_2014-12-02-215358.emf").string() + "'");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, r.out.find("1 EMR_HEADER")),
              "records: 638\n"
              "bytes: 53120\n"
              "frame: 0 0 16510 12383\n"
              "size: 660 x 413\n"
              "damaged records: 1\n");
    EXPECT_NE(r.out.find("84 EMR_EXTTEXTOUTW 38\n"), std::string::npos);  // the damaged one counted too
}

TEST(CliInfoEmf, InvalidFilesPrintTheMessageOnStandardErrorAndExitWithOne) {
    if (Fixtures().empty()) GTEST_SKIP() << "no metafile fixtures";
    struct Case {
        const char* file;
        const char* message;
    };
    const Case cases[] = {
        {"libemf2svg-bad_corrupted_2014-12-13-132605.emf", "Metafile is not valid\n"},
        {"libemf2svg-bad_corrupted_2016-02-02-225639.emf", "Stream read error\n"},
        {"README.md", "Metafile is not valid\n"},
    };
    for (const auto& c : cases) {
        // A README renamed .emf is still looked at as a metafile.
        std::string file = (Fixtures() / c.file).string();
        if (std::string(c.file) == "README.md") {
            auto copy = std::filesystem::temp_directory_path() / "tessaly-cli-readme.emf";
            std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing);
            file = copy.string();
        }
        CliResult r = RunCli("info '" + file + "'");
        EXPECT_EQ(r.exitCode, 1) << c.file;
        EXPECT_EQ(r.err, c.message) << c.file;
        EXPECT_EQ(r.out, "") << c.file;  // nothing on stdout
    }
}
