// Hostile data read from a SQLite file, the way a report reads a user's database: a text of
// 10 MB, a blob that is no picture under a picture object, a date column holding other text, null
// in every kind of column, and many rows. Each prepares to a sound value or stops with a clear
// preparation error, and the database file is left as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ReportBuilder.h"
#include "common/SqliteFile.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_Picture.h"
#include "platform/data/Database.h"
#include "platform/data/SqlDataset.h"
#include "platform/graphics/FieldPicture.h"

namespace preparetest {
namespace {

using tessaly::testing::ReadFile;
using tessaly::testing::RunSqlite;
using tessaly::testing::TempFolder;

class HostileData : public ::testing::Test {
protected:
    // Table t of the test's database, walked by the report dataset "t" on the form.
    data::SqlDataset& Table(const std::string& sql) {
        RunSqlite(file, sql);
        saved = ReadFile(file);
        auto* table = new data::SqlDataset(data::Database::Open(file.string()), &r.form);
        table->SetName("t");
        table->SetTableName("t");
        r.Walk("t", *table);
        return *table;
    }
    bool Prepare() {
        const bool ok = r.Prepare();
        EXPECT_EQ(ReadFile(file), saved) << "the database file changed";
        return ok;
    }

    ReportBuilder r;
    TempFolder folder{"hostile-data"};
    std::filesystem::path file = folder / "dati.sqlite";
    std::vector<uint8_t> saved;
};

TEST_F(HostileData, TextOfTenMegabytesShowsItsBeginningInTheObject) {
    // "ciao " five bytes for each of 2 MiB zero bytes: 10 MiB of words.
    Table("CREATE TABLE t (testo TEXT);"
          "INSERT INTO t VALUES (replace(hex(zeroblob(2097152)), '00', 'ciao '));");
    r.Band(btMasterData, 40, 40, "t");
    r.Text(10, 41, "[t.\"testo\"]", 300, 38);
    ASSERT_TRUE(Prepare()) << r.error;
    ASSERT_EQ(r.PageCount(), 1);
    ASSERT_FALSE(r.Lines(1).empty());
    EXPECT_EQ(r.Lines(1)[0].substr(0, 10), "ciao ciao ");
}

TEST_F(HostileData, BlobThatIsNoPictureStopsWithTheFormatMessage) {
    // Open before the report starts, as a host opens its data: the named value binds to the field.
    Table("CREATE TABLE t (nome TEXT, foto BLOB);"
          "INSERT INTO t VALUES ('prima', x'0001020304FFFE'), ('seconda', 'solo testo');")
        .Open();
    const int v = r.report->Values().AddValue();
    r.report->Values().SetName(v, "Foto");
    r.report->Values().Items(v).Kind = vkDataField;
    r.report->Values().Items(v).DataSetName = "t";
    r.report->Values().Items(v).FieldName = "foto";
    r.Band(btMasterData, 40, 60, "t");
    r.Text(10, 41, "[nome]");
    auto picture = std::make_unique<TcvPictureView>(r.report);
    picture->Left = 200, picture->Top = 41, picture->Width = 100, picture->Height = 50;
    picture->MemoLines.Add("[Foto]");
    r.Page().AddObject(std::move(picture));
    EXPECT_FALSE(Prepare());
    EXPECT_NE(r.error.find(graphics::kUnknownPictureFormat), std::string::npos) << r.error;
}

TEST_F(HostileData, DateColumnHoldingOtherTextShowsThatText) {
    Table("CREATE TABLE t (giorno DATE);"
          "INSERT INTO t VALUES ('2024-03-05'), ('domani'), ('');");
    r.Band(btMasterData, 40, 20, "t");
    r.Text(10, 41, "<[giorno]>").Format = WithCategory(0, fcDate);
    ASSERT_TRUE(Prepare()) << r.error;
    EXPECT_EQ(r.AllLines(), (std::vector<std::string>{"<05/03/24>", "<domani>", "<>"}));
}

// Null numbers, dates and truth values read as 0 (as every null field does in report texts).
TEST_F(HostileData, NullInEveryKindOfColumnShowsNothingOrZero) {
    const char* const columns[] = {"testo TEXT", "intero INTEGER", "reale REAL", "importo NUMERIC(10,2)",
                                   "giorno DATE", "vero BOOLEAN", "dati BLOB", "nota MEMO", "figura GRAPHIC"};
    std::string create = "CREATE TABLE t (", insert = "INSERT INTO t VALUES (";
    for (const char* c : columns) create += std::string(c) + ",", insert += "NULL,";
    create.back() = ')', insert.back() = ')';
    Table(create + ";" + insert + ";");
    r.Band(btMasterData, 40, 20, "t");
    std::string line;
    for (const char* c : columns) line += "<[" + std::string(c).substr(0, std::string(c).find(' ')) + "]>";
    r.Text(10, 41, line, 700);
    ASSERT_TRUE(Prepare()) << r.error;
    EXPECT_EQ(r.AllLines(), (std::vector<std::string>{"<><0><0><0><0><0><><><>"}));
}

// The memory that follows the pages, not the rows, is measured by bench/prepare/listing_memory.sh
// over a million rows; here every row of a smaller table comes out once, in order.
TEST_F(HostileData, ListingOverManyRowsPrintsEachRowOnceInOrder) {
    constexpr int kRows = 5000;
    Table("CREATE TABLE t (n INTEGER);"
          "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < " + std::to_string(kRows) + ") "
          "INSERT INTO t SELECT n FROM k;");
    r.Line(btMasterData, 40, 18, "[n]", "t");
    ASSERT_TRUE(Prepare()) << r.error;
    const auto lines = r.AllLines();
    ASSERT_EQ(lines.size(), size_t(kRows));
    for (int i = 0; i < kRows; ++i) ASSERT_EQ(lines[size_t(i)], std::to_string(i + 1));
    EXPECT_GT(r.PageCount(), kRows / 70);
}

}  // namespace
}  // namespace preparetest
