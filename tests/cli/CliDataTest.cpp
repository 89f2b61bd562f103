// tessaly-cli data SOURCE [TABLE | --sql "SELECT ..."] [--first N] over a SQLite file the test
// makes (tests/platform/data/PostgresDatasetTest.cpp runs it on a PostgreSQL server).
#include <gtest/gtest.h>

#include "CliRun.h"
#include "common/SqliteFile.h"
#include "common/TestFiles.h"

using tessaly::testing::CliResult;
using tessaly::testing::RunCli;

class CliData : public ::testing::Test {
protected:
    void SetUp() override {
        tessaly::testing::RunSqlite(
            db, "CREATE TABLE vendite(id INTEGER, cliente VARCHAR(30), data DATE, importo NUMERIC(10,2),"
                " sconto REAL, pagato BOOLEAN, logo BLOB, note MEMO);"
                "INSERT INTO vendite VALUES"
                " (1, 'Caff\xC3\xA8 Roma', '2024-03-05', 1250.5, 0.1, 1, x'89504E47', 'nota\tcon tab\ne a capo'),"
                " (2, 'Bar Sport', '2024-03-06 18:30:00', NULL, NULL, 0, NULL, NULL),"
                " (3, 'Osteria', '2024-03-07', 99, 0, 0, NULL, NULL);"
                "CREATE VIEW pagate AS SELECT id FROM vendite WHERE pagato;"
                "CREATE TABLE \"Anagrafe clienti\"(nome TEXT);");
    }
    std::string Source() const { return "'" + db.string() + "'"; }

    tessaly::testing::TempFolder folder{"cli-data"};
    std::filesystem::path db = folder / "negozio.db";
};

TEST_F(CliData, ListsTablesAndViewsByName) {
    CliResult r = RunCli("data " + Source());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "table Anagrafe clienti\nview pagate\ntable vendite\n");
}

TEST_F(CliData, PrintsFieldsAndTheFirstRecordsOfATableOrAQuery) {
    const std::string fields =
        "fields: 8\n"
        "field 1: id integer\nfield 2: cliente string\nfield 3: data datetime\nfield 4: importo currency\n"
        "field 5: sconto float\nfield 6: pagato boolean\nfield 7: logo blob\nfield 8: note memo\n"
        "records: 3\n";
    const std::string first = "record 1: 1\tCaff\xC3\xA8 Roma\t05/03/2024\t1250,5\t0,1\tVero\t(blob 4 bytes)\t(blob 21 bytes)\n";
    const std::string second = "record 2: 2\tBar Sport\t06/03/2024 18:30:00\tNULL\tNULL\tFalso\tNULL\tNULL\n";
    const std::string third = "record 3: 3\tOsteria\t07/03/2024\t99\t0\tFalso\tNULL\tNULL\n";
    struct Case {
        std::string args;
        std::string out;
    } cases[] = {
        {"vendite", fields + first + second + third},
        {"VENDITE --first 1", fields + first},
        {"--first 0 vendite", fields},
        {"--sql 'SELECT cliente, importo * 2 AS doppio, NULL AS niente FROM vendite WHERE id > :x'",
         "fields: 3\nfield 1: cliente string\nfield 2: doppio string\nfield 3: niente string\nrecords: 0\n"},  // no value: strings
        {"--sql 'SELECT id * 2 AS doppio, note FROM vendite ORDER BY id DESC' --first 2",
         "fields: 2\nfield 1: doppio integer\nfield 2: note memo\nrecords: 3\n"
         "record 1: 6\tNULL\nrecord 2: 4\tNULL\n"},
        {"--sql \"SELECT 'a' || char(9) || 'b' || char(13, 10) AS t\"",
         "fields: 1\nfield 1: t string\nrecords: 1\nrecord 1: a\\tb\\r\\n\n"},
        {"'Anagrafe clienti'", "fields: 1\nfield 1: nome string\nrecords: 0\n"},
    };
    for (const Case& c : cases) {
        CliResult r = RunCli("data " + Source() + " " + c.args);
        EXPECT_EQ(r.exitCode, 0) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
    }
}

TEST_F(CliData, FailuresPrintTheDatabasesMessageAndNothingElse) {
    struct Case {
        std::string args;
        int exitCode;
        std::string err;
    } cases[] = {
        {Source() + " assente", 1, "no such table: assente\n"},
        {Source() + " --sql 'SELECT x FROM vendite'", 1, "no such column: x\n"},
        {"'" + (folder / "manca.db").string() + "'", 1, "unable to open database file\n"},
        {"", 2, ""},
        {Source() + " vendite pagate", 2, ""},
        {Source() + " vendite --sql 'SELECT 1'", 2, ""},
        {Source() + " --first -1 vendite", 2, ""},
        {Source() + " --first", 2, ""},
        {Source() + " --sql ''", 2, ""},
        {Source() + " --tutto", 2, ""},
    };
    for (const Case& c : cases) {
        CliResult r = RunCli("data " + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        if (c.exitCode == 1) EXPECT_EQ(r.err, c.err) << c.args;
        else EXPECT_TRUE(r.err.starts_with("uso: tessaly-cli data ")) << c.args << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "manca.db")) << "a missing file is never created";
}
