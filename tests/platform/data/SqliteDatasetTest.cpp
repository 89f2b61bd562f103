// Datasets over SQLite files that the tests make: kinds and conversions, nulls, large objects,
// walking far and back, parameters, and the database's messages.
#include <gtest/gtest.h>

#include "WalkScript.h"
#include "common/SqliteFile.h"
#include "common/TestFiles.h"
#include "platform/core/DateTime.h"
#include "platform/data/DataModule.h"
#include "platform/data/SqlDataset.h"
#include "platform/text/FormatSettings.h"

namespace tessaly::data {
namespace {

using testing::RunSqlite;
using testing::TempFolder;

class SqliteDatasetTest : public ::testing::Test {
protected:
    std::shared_ptr<Database> Make(const std::string& sql) {
        RunSqlite(file, sql);
        return Database::Open(file.string());
    }
    std::string OpenError(SqlDataset& ds) {
        try {
            ds.Open();
        } catch (const EDatabaseError& e) {
            EXPECT_FALSE(ds.Active());
            return e.Message();
        }
        return "(opened)";
    }

    FormatSettingsScope italian{FormatSettings::Italian()};
    TempFolder folder{"sqlite-dataset"};
    std::filesystem::path file = folder / "dati.db";
};

struct KindCase {
    const char* declared;  // "" for none
    const char* literal;   // SQL, UTF-8
    FieldKind kind;
    VarType type;
    const char* text;  // the value as text, cp1252
};

const KindCase kKindCases[] = {
    {"INTEGER", "42", FieldKind::Integer, VarType::Integer, "42"},
    {"BIGINT", "-2147483648", FieldKind::Integer, VarType::Integer, "-2147483648"},
    {"BIGINT", "5000000000", FieldKind::Integer, VarType::Double, "5000000000"},
    {"INT8", "9007199254740993", FieldKind::Integer, VarType::Double, "9,00719925474099E15"},
    {"INT", "'abc'", FieldKind::Integer, VarType::String, "abc"},
    {"REAL", "2.5", FieldKind::Float, VarType::Double, "2,5"},
    {"DOUBLE PRECISION", "3", FieldKind::Float, VarType::Double, "3"},
    {"FLOAT", "-0.125", FieldKind::Float, VarType::Double, "-0,125"},
    {"NUMERIC(10,2)", "1234.5", FieldKind::Currency, VarType::Currency, "1234,5"},
    {"DECIMAL", "7", FieldKind::Currency, VarType::Currency, "7"},
    {"MONEY", "-0.25", FieldKind::Currency, VarType::Currency, "-0,25"},
    {"MONEY", "'ottanta'", FieldKind::Currency, VarType::String, "ottanta"},
    {"VARCHAR(20)", "'Citt\u00e0 \u20ac'", FieldKind::String, VarType::String, "Citt\xE0 \x80"},
    {"TEXT", "'\u6f22'", FieldKind::String, VarType::String, "?"},
    {"CHARACTER VARYING", "12", FieldKind::String, VarType::String, "12"},
    {"DATE", "'2024-02-29'", FieldKind::DateTime, VarType::Date, "29/02/2024"},
    {"DATETIME", "'2024-02-29 13:45:10'", FieldKind::DateTime, VarType::Date, "29/02/2024 13:45:10"},
    {"TIMESTAMP", "'2024-02-29T13:45:10.250Z'", FieldKind::DateTime, VarType::Date, "29/02/2024 13:45:10"},
    {"DATETIME", "'2024-01-01 00:30:00+01:00'", FieldKind::DateTime, VarType::Date, "31/12/2023 23:30:00"},
    {"DATETIME", "2460000.25", FieldKind::DateTime, VarType::Date, "24/02/2023 18:00:00"},  // Julian day
    {"DATETIME", "86400", FieldKind::DateTime, VarType::Date, "02/01/1970"},               // Unix time
    {"TIME", "'10:30'", FieldKind::DateTime, VarType::Date, "10:30:00"},
    {"DATE", "'31/12/2024'", FieldKind::DateTime, VarType::String, "31/12/2024"},
    {"DATE", "'2023-02-29'", FieldKind::DateTime, VarType::String, "2023-02-29"},
    {"BOOLEAN", "1", FieldKind::Boolean, VarType::Boolean, "Vero"},
    {"BOOL", "'false'", FieldKind::Boolean, VarType::Boolean, "Falso"},
    {"BOOLEAN", "'forse'", FieldKind::Boolean, VarType::String, "forse"},
    {"BLOB", "x'41FF0A'", FieldKind::Blob, VarType::String, "A\xFF\n"},
    {"MEMO", "'caff\u00e8'", FieldKind::Memo, VarType::String, "caff\xE8"},
    {"CLOB", "'x'", FieldKind::Memo, VarType::String, "x"},
    {"GRAPHIC", "x'424D'", FieldKind::Graphic, VarType::String, "BM"},
    {"IMAGE", "'BM'", FieldKind::Graphic, VarType::String, "BM"},
    {"FMTMEMO", "'{\\rtf1}'", FieldKind::FmtMemo, VarType::String, "{\\rtf1}"},
    {"", "7", FieldKind::Integer, VarType::Integer, "7"},
    {"", "1.5", FieldKind::Float, VarType::Double, "1,5"},
    {"", "'testo'", FieldKind::String, VarType::String, "testo"},
    {"", "x'01'", FieldKind::Blob, VarType::String, "\x01"},
    {"JSON", "'{}'", FieldKind::String, VarType::String, "{}"},
};

TEST_F(SqliteDatasetTest, KindsComeFromDeclaredTypesOrFirstValuesAndValuesConvert) {
    std::string columns, nulls, values;
    for (size_t i = 0; i < std::size(kKindCases); ++i) {
        const std::string sep = i ? ", " : "";
        columns += sep + "c" + std::to_string(i) + " " + kKindCases[i].declared;
        nulls += sep + "NULL";
        values += sep + kKindCases[i].literal;
    }
    auto db = Make("CREATE TABLE kinds(" + columns + "); INSERT INTO kinds VALUES(" + nulls +
                   "); INSERT INTO kinds VALUES(" + values + ");");
    SqlDataset ds(db, nullptr);
    ds.SetTableName("kinds");
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), static_cast<int>(std::size(kKindCases)));
    for (int i = 0; i < ds.FieldCount(); ++i) {
        SCOPED_TRACE(std::string(kKindCases[i].declared) + " " + kKindCases[i].literal);
        EXPECT_TRUE(ds.Fields(i).IsNull());
        EXPECT_EQ(ds.Fields(i).OpenRead()->Size(), 0);
    }
    ds.Next();
    for (int i = 0; i < ds.FieldCount(); ++i) {
        const KindCase& c = kKindCases[i];
        SCOPED_TRACE(std::string(c.declared) + " " + c.literal);
        const Field& f = ds.Fields(i);
        EXPECT_EQ(FieldKindName(f.Kind()), std::string(FieldKindName(c.kind)));
        const Variant v = f.Value();
        EXPECT_EQ(VarTypeName(v.Type()), std::string(VarTypeName(c.type)));
        EXPECT_EQ(v.AsString(), c.text);
    }
}

TEST_F(SqliteDatasetTest, LargeObjectsReadTheirBytesThroughAStream) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
    auto db = Make("CREATE TABLE pics(id INTEGER, pic GRAPHIC, note MEMO);");
    {
        sqlite3* h;
        sqlite3_open(file.c_str(), &h);
        sqlite3_stmt* st;
        sqlite3_prepare_v2(h, "INSERT INTO pics VALUES(1, ?, 'perch\xC3\xA9')", -1, &st, nullptr);
        sqlite3_bind_blob(st, 1, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_finalize(st);
        sqlite3_close(h);
    }
    SqlDataset ds(db, nullptr);
    ds.SetTableName("pics");
    ds.Open();
    auto stream = ds.FindField("PIC")->OpenRead();
    ASSERT_EQ(stream->Size(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(stream->ReadBytes(bytes.size()), bytes);
    EXPECT_EQ(ds.FindField("note")->OpenRead()->ReadBytes(6), "perch\xE9") << "a memo's text in cp1252";
}

TEST_F(SqliteDatasetTest, WalksByTheDatasetRules) {
    auto db = Make("CREATE TABLE t(n INTEGER); INSERT INTO t VALUES(30), (10), (20);");
    testing::RunSqlWalkRules(db, "t");
    SqlDataset table(db, nullptr);  // a table in its stored order
    table.SetTableName("t");
    table.Open();
    EXPECT_EQ(table.Fields(0).Value().AsInteger(), 30);
}

TEST_F(SqliteDatasetTest, StepsBackAndJumpsAnywhereInALongTable) {
    auto db = Make("CREATE TABLE t(n INTEGER, s TEXT);"
                   "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 500) "
                   "INSERT INTO t SELECT i, 'r' || i FROM c;");
    SqlDataset ds(db, nullptr);
    ds.SetSql("SELECT * FROM t ORDER BY n");
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 500);
    int walked = 0;
    for (; !ds.Eof(); ds.Next()) EXPECT_EQ(ds.Fields(0).Value().AsInteger(), ++walked);
    EXPECT_EQ(walked, 500);
    EXPECT_EQ(ds.Fields(1).Value().AsString(), "r500") << "the footer's view of the last record";
    for (int n = 499; n >= 1; --n) {  // all the way back, far beyond what is kept
        ds.Prior();
        ASSERT_EQ(ds.Fields(0).Value().AsInteger(), n);
    }
    ds.Prior();
    EXPECT_TRUE(ds.Bof());
    for (int recNo : {250, 3, 499, 431, 430, 1, 500}) {
        ds.SetRecNo(recNo);
        EXPECT_EQ(ds.RecNo(), recNo);
        EXPECT_EQ(ds.Fields(1).Value().AsString(), "r" + std::to_string(recNo));
    }
    EXPECT_THROW(ds.SetRecNo(501), EDatabaseError);
    EXPECT_EQ(ds.RecNo(), 500) << "a failed jump stays";
}

TEST_F(SqliteDatasetTest, RefreshReadsWhatChangedAndKeepsTheRecordNumber) {
    auto db = Make("CREATE TABLE t(n INTEGER); INSERT INTO t VALUES(1), (2), (3);");
    SqlDataset ds(db, nullptr);
    ds.SetTableName("t");
    ds.Open();
    while (!ds.Eof()) ds.Next();  // a walk half done holds the file's read lock
    ds.SetRecNo(2);
    RunSqlite(file, "UPDATE t SET n = n * 10; INSERT INTO t VALUES(40);");
    ds.Refresh();
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.Fields(0).Value().AsInteger(), 20);
}

TEST_F(SqliteDatasetTest, QueryParametersAreBoundByName) {
    auto db = Make("CREATE TABLE p(name TEXT, born DATE, amount NUMERIC, ok BOOLEAN);"
                   "INSERT INTO p VALUES('Anna', '1980-05-17', 10.5, 1), ('Bruno', '1990-01-02', 3, 0),"
                   "('Carla', '1975-11-30 10:00:00', 10.5, 1);");
    SqlDataset ds(db, nullptr);
    ds.SetSql("SELECT name FROM p WHERE born >= :from AND amount = :Amount AND ok = :ok AND name LIKE :pattern "
              "ORDER BY name");
    ds.SetParam(":from", Variant::DateTime(EncodeDate(1975, 11, 30)));
    ds.SetParam("amount", Variant(Currency::FromScaled(105000)));
    ds.SetParam("OK", Variant(true));
    ds.SetParam("pattern", Variant("%a"));
    ds.Open();
    std::vector<std::string> names;
    for (; !ds.Eof(); ds.Next()) names.push_back(ds.Fields(0).Value().AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"Anna", "Carla"}));
    ds.SetParam("pattern", Variant("B%"));
    ds.SetParam("amount", Variant(3));
    ds.SetParam("ok", Variant(0));
    ds.Refresh();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.Fields(0).Value().AsString(), "Bruno");
    ds.Close();
    ds.SetSql("SELECT :missing IS NULL");
    ds.Open();
    EXPECT_EQ(ds.Fields(0).Value().AsInteger(), 1) << "a parameter without a value is null";
}

TEST_F(SqliteDatasetTest, FailuresGiveTheDatabasesMessage) {
    auto db = Make("CREATE TABLE t(n INTEGER);");
    SqlDataset ds(db, nullptr);
    ds.SetName("Elenco");
    const struct {
        bool table;
        const char* what;
        const char* message;
    } cases[] = {
        {true, "assente", "no such table: assente"},
        {false, "SELEC n FROM t", "near \"SELEC\": syntax error"},
        {false, "SELECT nn FROM t", "no such column: nn"},
        {false, "SELECT 1; SELECT 2", "La query deve essere una sola istruzione SQL"},
        {false, " -- niente\n", "La query \xE8 vuota"},
        {false, "INSERT INTO t VALUES(1)", "attempt to write a readonly database"},
        {true, "", "Il dataset Elenco non ha una tabella n\xE9 una query"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.table) ds.SetTableName(c.what);
        else ds.SetSql(c.what);
        EXPECT_EQ(OpenError(ds), c.message);
    }
    for (const std::string& bad : {(folder / "assente.db").string(), (folder / "testo.db").string()}) {
        testing::WriteFile(folder / "testo.db", std::string("non sono un database, solo testo qualunque"));
        try {
            Database::Open(bad);
            ADD_FAILURE() << bad;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), bad.ends_with("assente.db") ? "unable to open database file" : "file is not a database");
        }
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "assente.db")) << "opening never creates a file";
}

TEST_F(SqliteDatasetTest, TablesAndViewsAreListedByName) {
    auto db = Make("CREATE TABLE zeta(a); CREATE TABLE \"Alfa beta\"(a); CREATE VIEW vista AS SELECT 1;"
                   "CREATE TABLE alfa(a INTEGER PRIMARY KEY AUTOINCREMENT);");  // makes sqlite_sequence
    EXPECT_EQ(db->Tables(), (std::vector<Database::Table>{
                                {"Alfa beta", false}, {"alfa", false}, {"vista", true}, {"zeta", false}}));
    SqlDataset ds(db, nullptr);
    ds.SetTableName("Alfa beta");
    EXPECT_NO_THROW(ds.Open()) << "a name that needs quoting";
}

// A database carries its reports' queries: a module makes a dataset of each, whose parameters bind
// like those of any query; a name a table has stays the table's, an empty name is no dataset.
TEST_F(SqliteDatasetTest, AModuleMakesADatasetOfEachStoredQuery) {
    auto db = Make("CREATE TABLE righe(n INTEGER); INSERT INTO righe VALUES (1), (2), (3);"
                   "CREATE TABLE report_queries(name TEXT, sql TEXT);"
                   "INSERT INTO report_queries VALUES ('scelta', 'SELECT n * 10 AS dieci FROM righe WHERE n >= :da'),"
                   " ('righe', 'SELECT 0 AS n'), ('', 'SELECT 1'), ('\xC3\xA0" "ccento', 'SELECT 1 AS uno');");
    DatabaseModule module(db, nullptr);
    std::vector<AnsiString> names;
    for (int i = 0; i < module.ComponentCount(); ++i) names.push_back(module.Components(i)->Name());
    EXPECT_EQ(names, (std::vector<AnsiString>{"report_queries", "righe", "scelta", "\xE0" "ccento"}));
    auto* query = dynamic_cast<SqlDataset*>(module.FindComponent("scelta"));
    ASSERT_TRUE(query);
    query->SetParam("da", Variant(2));
    query->Open();
    EXPECT_EQ(query->RecordCount(), 2);
    EXPECT_EQ(query->FindField("dieci")->Value().AsString(), "20");
    EXPECT_EQ(dynamic_cast<SqlDataset*>(module.FindComponent("righe"))->TableName(), "righe");
}

}  // namespace
}  // namespace tessaly::data
