// Datasets over a private PostgreSQL server (started by with_postgres.sh, which gives its URI in
// TESSALY_PG_URI): kinds and conversions, nulls, large objects, the walking rules, parameters, two
// datasets walking at once, the read-only session, the server's messages, and tessaly-cli data.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdlib>

#include "WalkScript.h"
#include "cli/CliRun.h"
#include "platform/core/DateTime.h"
#include "platform/data/SqlDataset.h"
#include "platform/text/FormatSettings.h"

namespace tessaly::data {
namespace {

std::string Uri() {
    const char* uri = std::getenv("TESSALY_PG_URI");
    return uri ? uri : "";
}

const char* const kSchema[] = {
    "ALTER DATABASE tessaly SET timezone TO 'UTC'",
    "CREATE TABLE kinds(ord int, i4 integer, i8 bigint, i2 smallint, f8 double precision, f4 real,"
    " num numeric(12,4), mon money, vc varchar(20), tx text, ch char(3), d date, ts timestamp,"
    " tstz timestamptz, tm time, b boolean, by bytea)",
    "INSERT INTO kinds(ord) VALUES(1)",
    "INSERT INTO kinds VALUES(2, 42, 5000000000, -7, 2.5, 0.25, 1234.56785, 1234.5, 'Citt\u00e0 \u20ac',"
    " '\u6f22', 'ab', '2024-02-29', '2024-02-29 13:45:10.25', '2024-02-29 13:45:10+02', '10:30', true,"
    " '\\x00ff41')",
    "CREATE TABLE walk(n integer)",
    "INSERT INTO walk VALUES(20), (10), (30)",
    "CREATE TABLE people(name text, born date, amount numeric(10,2), ok boolean)",
    "INSERT INTO people VALUES('Anna', '1980-05-17', 10.5, true), ('Bruno', '1990-01-02', 3, false),"
    " ('Carla', '1975-11-30', 10.5, true)",
    "CREATE VIEW \"Vista adulti\" AS SELECT * FROM people",
};

class PostgresTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (Uri().empty()) return;
        QSqlDatabase admin = QSqlDatabase::addDatabase("QPSQL", "admin");
        const std::string socket = Uri().substr(Uri().find("host=") + 5);
        admin.setHostName(QString::fromStdString(socket));
        admin.setDatabaseName("tessaly");
        admin.setUserName("postgres");
        schemaError_ = admin.open() ? "" : admin.lastError().text().toStdString();
        QSqlQuery q(admin);
        for (const char* sql : kSchema)
            if (schemaError_.empty() && !q.exec(QString::fromUtf8(sql)))
                schemaError_ = sql + (": " + q.lastError().text().toStdString());
    }
    static void TearDownTestSuite() { QSqlDatabase::removeDatabase("admin"); }

    void SetUp() override {
        ASSERT_FALSE(Uri().empty()) << "run through tests/platform/data/with_postgres.sh";
        ASSERT_EQ(schemaError_, "");
        db = Database::Open(Uri());
    }
    std::string Message(const std::function<void()>& action) {
        try {
            action();
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return "(no failure)";
    }

    static inline std::string schemaError_;
    FormatSettingsScope italian{FormatSettings::Italian()};
    std::shared_ptr<Database> db;
};

TEST_F(PostgresTest, KindsComeFromTheColumnTypesAndValuesConvert) {
    const struct {
        FieldKind kind;
        VarType type;
        const char* text;
    } cases[] = {
        {FieldKind::Integer, VarType::Integer, "42"},
        {FieldKind::Integer, VarType::Double, "5000000000"},
        {FieldKind::Integer, VarType::Integer, "-7"},
        {FieldKind::Float, VarType::Double, "2,5"},
        {FieldKind::Float, VarType::Double, "0,25"},
        {FieldKind::Currency, VarType::Currency, "1234,5679"},
        {FieldKind::Currency, VarType::Currency, "1234,5"},
        {FieldKind::String, VarType::String, "Citt\xE0 \x80"},
        {FieldKind::String, VarType::String, "?"},
        {FieldKind::String, VarType::String, "ab "},
        {FieldKind::DateTime, VarType::Date, "29/02/2024"},
        {FieldKind::DateTime, VarType::Date, "29/02/2024 13:45:10"},
        {FieldKind::DateTime, VarType::Date, "29/02/2024 11:45:10"},  // as the session's zone shows it
        {FieldKind::DateTime, VarType::Date, "10:30:00"},
        {FieldKind::Boolean, VarType::Boolean, "Vero"},
        {FieldKind::Blob, VarType::String, nullptr},  // bytes: below
    };
    SqlDataset ds(db, nullptr);
    ds.SetSql("SELECT * FROM kinds ORDER BY ord");
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 1 + static_cast<int>(std::size(cases)));
    for (int i = 1; i < ds.FieldCount(); ++i) {
        SCOPED_TRACE(ds.Fields(i).Name());
        EXPECT_TRUE(ds.Fields(i).IsNull());
    }
    ds.Next();
    for (int i = 1; i < ds.FieldCount(); ++i) {
        const auto& c = cases[i - 1];
        const Field& f = ds.Fields(i);
        SCOPED_TRACE(f.Name());
        EXPECT_EQ(FieldKindName(f.Kind()), std::string(FieldKindName(c.kind)));
        const Variant v = f.Value();
        EXPECT_EQ(VarTypeName(v.Type()), std::string(VarTypeName(c.type)));
        if (c.text) {
            EXPECT_EQ(v.AsString(), c.text);
        }
    }
    auto bytes = ds.FindField("BY")->OpenRead();
    EXPECT_EQ(bytes->ReadBytes(3), std::string("\0\xFF" "A", 3));
}

TEST_F(PostgresTest, WalksByTheDatasetRules) { testing::RunSqlWalkRules(db, "walk"); }

TEST_F(PostgresTest, ParametersAreBoundByNameAndTwoDatasetsWalkAtOnce) {
    SqlDataset people(db, nullptr);
    people.SetSql("SELECT name FROM people WHERE born >= :from AND amount = :amount AND ok = :ok"
                  " AND name LIKE :pattern ORDER BY name");
    people.SetParam("from", Variant::DateTime(EncodeDate(1975, 11, 30)));
    people.SetParam("amount", Variant(Currency::FromScaled(105000)));
    people.SetParam("ok", Variant(true));
    people.SetParam(":pattern", Variant("%a"));
    SqlDataset detail(db, nullptr);
    detail.SetSql("SELECT length(:name) AS len");
    std::vector<std::string> seen;
    for (people.Open(); !people.Eof(); people.Next()) {
        detail.SetParam("name", people.Fields(0).Value());
        detail.Close();
        detail.Open();
        seen.push_back(people.Fields(0).Value().AsString() + detail.Fields(0).Value().AsString());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Anna4", "Carla5"}));
}

TEST_F(PostgresTest, FailuresGiveTheServersMessageAndTheSessionOnlyReads) {
    SqlDataset ds(db, nullptr);
    ds.SetTableName("assente");
    EXPECT_EQ(Message([&] { ds.Open(); }), "ERROR:  relation \"assente\" does not exist");
    ds.SetSql("SELEC 1");
    EXPECT_EQ(Message([&] { ds.Open(); }), "ERROR:  syntax error at or near \"SELEC\"");
    ds.SetSql("INSERT INTO walk VALUES(40) RETURNING n");
    EXPECT_EQ(Message([&] { ds.Open(); }), "ERROR:  cannot execute INSERT in a read-only transaction");
    EXPECT_FALSE(ds.Active());
    std::string uri = Uri();
    uri.replace(uri.find("/tessaly?"), 9, "/assente?");
    EXPECT_TRUE(Message([&] { Database::Open(uri); }).ends_with("FATAL:  database \"assente\" does not exist"));
    EXPECT_EQ(Message([&] { Database::Open("postgresql://[x"); }), "Indirizzo del database non valido: postgresql://[x");
}

TEST_F(PostgresTest, TablesAndViewsAreListedByName) {
    EXPECT_EQ(db->Tables(), (std::vector<Database::Table>{
                                {"Vista adulti", true}, {"kinds", false}, {"people", false}, {"walk", false}}));
    SqlDataset view(db, nullptr);
    view.SetTableName("Vista adulti");
    view.Open();
    EXPECT_EQ(view.RecordCount(), 3);
}

TEST_F(PostgresTest, TheCliReadsTheServer) {
    const std::string source = "'" + Uri() + "'";
    auto r = testing::RunCli("data " + source);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "view Vista adulti\ntable kinds\ntable people\ntable walk\n");
    r = testing::RunCli("data " + source + " --sql 'SELECT name, born, amount, ok FROM people ORDER BY name' --first 2");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "fields: 4\n"
              "field 1: name string\nfield 2: born datetime\nfield 3: amount currency\nfield 4: ok boolean\n"
              "records: 3\n"
              "record 1: Anna\t17/05/1980\t10,5\tVero\n"
              "record 2: Bruno\t02/01/1990\t3\tFalso\n");
    r = testing::RunCli("data " + source + " assente");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ERROR:  relation \"assente\" does not exist\n");
}

}  // namespace
}  // namespace tessaly::data
