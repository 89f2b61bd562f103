// The datasets over a host's own data: a table model, a Qt SQL connection and query (through Qt's
// SQLite driver), rows of Qt values in memory. Each keeps the walking rules; kinds and values
// come from the Qt types; the host's failures arrive with their own message.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <functional>
#include <memory>

#include "WalkScript.h"
#include "platform/core/DateTime.h"
#include "platform/data/ItemModelDataset.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/QtSqlDatabase.h"
#include "platform/data/SqlQueryDataset.h"
#include "platform/text/FormatSettings.h"

namespace tessaly::data {
namespace {

using testing::RunEmptyAndClosedRules;
using testing::RunWalkScript;

// One private SQLite database in memory, through Qt's driver, for the whole test program.
QSqlDatabase Connection() {
    static int argc = 1;
    static char name[] = "test_platform_data";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
    const QString id = QStringLiteral("host-datasets");
    if (QSqlDatabase::contains(id)) return QSqlDatabase::database(id);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), id);
    db.setDatabaseName(QStringLiteral(":memory:"));
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    return db;
}

void Exec(const QString& sql) {
    QSqlQuery q(Connection());
    ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
}

// A table "t" of column n (10, 20, 30) and text column nome, or of no rows.
void MakeTable(bool rows) {
    Exec("DROP TABLE IF EXISTS t");
    Exec("CREATE TABLE t (n INTEGER, nome TEXT)");
    if (rows) Exec("INSERT INTO t VALUES (10, 'c10'), (20, 'c20'), (30, 'c30')");
}

std::unique_ptr<QStandardItemModel> MakeModel(bool rows) {
    auto model = std::make_unique<QStandardItemModel>(0, 2);
    model->setHorizontalHeaderLabels({"n", "nome"});
    for (int n : {10, 20, 30}) {
        if (!rows) break;
        auto* value = new QStandardItem;
        value->setData(n, Qt::EditRole);
        model->appendRow({value, new QStandardItem(QString("c%1").arg(n))});
    }
    return model;
}

std::unique_ptr<Dataset> QueryOn(const QString& sql) {
    QSqlQuery query(Connection());
    query.prepare(sql);
    return std::make_unique<SqlQueryDataset>(std::move(query), nullptr);
}

// Each back end over three records (n: 10, 20, 30) or none.
struct Source {
    const char* name;
    std::function<std::unique_ptr<Dataset>(bool rows)> make;
};

std::shared_ptr<QStandardItemModel> keptModel;  // the model of the last item-model dataset made

const Source kSources[] = {
    {"item model", [](bool rows) -> std::unique_ptr<Dataset> {
         keptModel = MakeModel(rows);
         return std::make_unique<ItemModelDataset>(keptModel.get(), nullptr);
     }},
    {"Qt SQL query", [](bool rows) { MakeTable(rows); return QueryOn("SELECT * FROM t ORDER BY n"); }},
    {"Qt SQL connection", [](bool rows) -> std::unique_ptr<Dataset> {
         MakeTable(rows);
         auto ds = std::make_unique<SqlDataset>(std::make_shared<QtSqlDatabase>(Connection()), nullptr);
         ds->SetTableName("t");
         return ds;
     }},
    {"Qt rows in memory", [](bool rows) -> std::unique_ptr<Dataset> {
         auto ds = std::make_unique<MemoryDataset>(nullptr, std::vector<FieldDef>{{"n", FieldKind::Integer},
                                                                                   {"nome", FieldKind::String}});
         for (int n : {10, 20, 30})
             if (rows) ds->AppendQtRow({n, QString("c%1").arg(n)});
         return ds;
     }},
};

TEST(HostDatasetsTest, EachWalksByTheDatasetRules) {
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.name);
        std::unique_ptr<Dataset> ds = source.make(true);
        ds->SetName("Vuoto");
        RunWalkScript(*ds);
        ASSERT_NE(ds->FindField("NOME"), nullptr);
        EXPECT_EQ(ds->FindField("nome")->Value().AsString(), "c10") << "open again, at the first record";
        std::unique_ptr<Dataset> empty = source.make(false);
        empty->SetName("Vuoto");
        RunEmptyAndClosedRules(*empty);
    }
}

// A model column's values (a null QVariant for none): the column's kind and the first row's value.
struct ModelCase {
    const char* what;
    QVariant first, second;
    FieldKind kind;
    VarType type;
    const char* text;  // the first value as text, cp1252
};

TEST(HostDatasetsTest, AModelColumnTakesItsKindFromItsFirstValueThatIsNotNull) {
    FormatSettingsScope italian(FormatSettings::Italian());
    const ModelCase cases[] = {
        {"int", 42, 7, FieldKind::Integer, VarType::Integer, "42"},
        {"long long", qlonglong(5000000000LL), 1, FieldKind::Integer, VarType::Double, "5000000000"},
        {"double", 2.5, 1.0, FieldKind::Float, VarType::Double, "2,5"},
        {"bool", true, false, FieldKind::Boolean, VarType::Boolean, "Vero"},
        {"date", QDate(2024, 2, 29), QDate(), FieldKind::DateTime, VarType::Date, "29/02/2024"},
        {"date and time", QDateTime(QDate(2024, 1, 2), QTime(13, 45)), QVariant(), FieldKind::DateTime,
         VarType::Date, "02/01/2024 13:45:00"},
        {"text", QString::fromUtf8("citt\u00E0 \u20AC"), QString("b"), FieldKind::String, VarType::String,
         "citt\xE0 \x80"},
        {"text a cp1252 lacks", QString::fromUtf8("\u4E2D"), QVariant(), FieldKind::String, VarType::String, "?"},
        {"bytes", QByteArray("\0\x01", 2), QVariant(), FieldKind::Blob, VarType::String, std::string("\0\x01", 2).c_str()},
        {"null, then int", QVariant(), 7, FieldKind::Integer, VarType::Null, ""},
        {"only nulls", QVariant(), QVariant(), FieldKind::String, VarType::Null, ""},
    };
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.what);
        QStandardItemModel model(2, 1);
        model.setData(model.index(0, 0), c.first);
        model.setData(model.index(1, 0), c.second);
        ItemModelDataset ds(&model, nullptr);
        ds.Open();
        ASSERT_EQ(ds.FieldCount(), 1);
        EXPECT_EQ(ds.Fields(0).Name(), "1") << "the model's own header of a column without a label";
        EXPECT_EQ(ds.Fields(0).Kind(), c.kind);
        EXPECT_EQ(ds.Fields(0).Value().Type(), c.type);
        if (c.type != VarType::Null && c.kind != FieldKind::Blob) {
            EXPECT_EQ(ds.Fields(0).Value().AsString(), c.text);
        }
    }
}

// A model that answers only one role, and one that answers both differently.
class TwoRoles : public QStandardItemModel {
public:
    TwoRoles() : QStandardItemModel(1, 1) {}
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) return QStringLiteral("1.234,50 \u20AC");
        if (role == Qt::EditRole && editToo) return 1234.5;
        return {};
    }
    bool editToo = true;
};

TEST(HostDatasetsTest, ValuesComeFromTheEditRoleUnlessTheModelGivesOnlyTheDisplayOrARoleIsChosen) {
    struct Case {
        bool editToo;
        int role;
        VarType type;
    } cases[] = {
        {true, ItemModelDataset::kAnyRole, VarType::Double},
        {false, ItemModelDataset::kAnyRole, VarType::String},
        {true, Qt::DisplayRole, VarType::String},
        {false, Qt::EditRole, VarType::Null},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.editToo) + " " + std::to_string(c.role));
        TwoRoles model;
        model.editToo = c.editToo;
        ItemModelDataset ds(&model, nullptr);
        ds.SetRole(c.role);
        ds.Open();
        EXPECT_EQ(ds.Fields(0).Value().Type(), c.type);
    }
}

TEST(HostDatasetsTest, AModelIsReadAsItIsNowAndItsColumnsAtEachOpen) {
    auto model = MakeModel(true);
    ItemModelDataset ds(model.get(), nullptr);
    ds.Open();
    model->item(0, 1)->setText("primo");
    model->appendRow({new QStandardItem("40"), new QStandardItem("c40")});
    EXPECT_EQ(ds.RecordCount(), 4);
    ds.First();
    EXPECT_EQ(ds.FindField("nome")->Value().AsString(), "primo") << "the record read afresh when moved to";
    model->setHorizontalHeaderLabels({"numero", "nome"});
    EXPECT_NE(ds.FindField("n"), nullptr) << "the columns stay until the dataset opens again";
    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.FindField("n"), nullptr);
    EXPECT_EQ(ds.FindField("numero")->Value().AsInteger(), 10);
}

// A column kind and a Qt value given for it: the value the field shows.
struct QtRowCase {
    FieldKind kind;
    QVariant given;
    VarType type;
    const char* text;
};

TEST(HostDatasetsTest, QtRowsInMemoryTakeTheKindsOfTheirColumns) {
    FormatSettingsScope italian(FormatSettings::Italian());
    const QtRowCase cases[] = {
        {FieldKind::Currency, 1.23456, VarType::Currency, "1,2346"},
        {FieldKind::Currency, QString("12.5"), VarType::Currency, "12,5"},
        {FieldKind::Integer, 7, VarType::Integer, "7"},
        {FieldKind::Float, 3, VarType::Double, "3"},
        {FieldKind::DateTime, QDate(1899, 12, 30), VarType::Date, "30/12/1899"},
        {FieldKind::Boolean, 0, VarType::Boolean, "Falso"},
        {FieldKind::String, QString::fromUtf8("perch\u00E9"), VarType::String, "perch\xE9"},
        {FieldKind::Memo, QString("riga"), VarType::String, "riga"},
        {FieldKind::String, QVariant(), VarType::Null, ""},
        {FieldKind::Integer, QString("tre"), VarType::String, "tre"},  // as given, when the kind cannot take it
    };
    for (const QtRowCase& c : cases) {
        SCOPED_TRACE(std::string(FieldKindName(c.kind)) + " " + c.given.toString().toStdString());
        MemoryDataset ds(nullptr, {{"v", c.kind}});
        ds.AppendQtRow({c.given, "oltre le colonne"});
        ds.Open();
        EXPECT_EQ(ds.Fields(0).Value().Type(), c.type);
        EXPECT_EQ(ds.Fields(0).Value().AsString(), c.text);
    }
}

struct SqlCase {
    const char* expression;  // of the one column, SQLite
    FieldKind kind;
    VarType type;
    const char* text;
};

TEST(HostDatasetsTest, AQueryOnTheHostsConnectionGivesItsColumnsKindsAndValues) {
    FormatSettingsScope italian(FormatSettings::Italian());
    Exec("DROP TABLE IF EXISTS k");
    Exec("CREATE TABLE k (i INTEGER, r REAL, s TEXT, b BLOB, v)");
    Exec("INSERT INTO k VALUES (42, 2.5, 'perch\u00E9', x'0001', NULL)");
    const SqlCase cases[] = {
        {"i", FieldKind::Integer, VarType::Integer, "42"},
        {"r", FieldKind::Float, VarType::Double, "2,5"},
        {"s", FieldKind::String, VarType::String, "perch\xE9"},
        {"b", FieldKind::Blob, VarType::String, std::string("\0\x01", 2).c_str()},
        {"v", FieldKind::String, VarType::Null, ""},
    };
    for (const SqlCase& c : cases) {
        SCOPED_TRACE(c.expression);
        auto ds = QueryOn(QString("SELECT %1 FROM k").arg(c.expression));
        ds->Open();
        EXPECT_EQ(ds->Fields(0).Kind(), c.kind);
        EXPECT_EQ(ds->Fields(0).Value().Type(), c.type);
        if (c.kind != FieldKind::Blob) EXPECT_EQ(ds->Fields(0).Value().AsString(), c.text);
        else EXPECT_EQ(ds->Fields(0).OpenRead()->Size(), 2);
    }
}

TEST(HostDatasetsTest, AQueryRunsAgainAtEachOpenWithTheValuesBoundSince) {
    MakeTable(true);
    QSqlQuery query(Connection());
    query.prepare("SELECT nome FROM t WHERE n > :da ORDER BY n");
    query.bindValue(":da", 15);
    SqlQueryDataset ds(std::move(query), nullptr);
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.Fields(0).Value().AsString(), "c20");
    Exec("INSERT INTO t VALUES (40, 'c40')");
    ds.Query().bindValue(":da", 25);
    EXPECT_EQ(ds.RecordCount(), 2) << "an open dataset keeps the records it read";
    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.Fields(0).Value().AsString(), "c30");
}

TEST(HostDatasetsTest, TheHostsConnectionListsItsTablesAndViews) {
    MakeTable(true);
    Exec("DROP VIEW IF EXISTS vista");
    Exec("CREATE VIEW vista AS SELECT n FROM t");
    QtSqlDatabase db(Connection());
    const std::vector<Database::Table> tables = db.Tables();
    EXPECT_NE(std::find(tables.begin(), tables.end(), Database::Table{"t", false}), tables.end());
    EXPECT_NE(std::find(tables.begin(), tables.end(), Database::Table{"vista", true}), tables.end());
}

// What the host got wrong, and the message that opening gives for it.
struct FailureCase {
    const char* what;
    std::function<std::unique_ptr<Dataset>()> make;
    const char* message;  // cp1252
};

TEST(HostDatasetsTest, FailuresLeaveTheDatasetClosedWithTheirOwnMessage) {
    const FailureCase cases[] = {
        {"a query with an error", [] { return QueryOn("SELECT * FROM assente"); }, "no such table: assente"},
        {"a query without text", [] { return std::make_unique<SqlQueryDataset>(QSqlQuery(Connection()), nullptr); },
         "La query non ha un testo SQL"},
        {"SQL with an error on the connection", []() -> std::unique_ptr<Dataset> {
             auto ds = std::make_unique<SqlDataset>(std::make_shared<QtSqlDatabase>(Connection()), nullptr);
             ds->SetSql("SELEC 1");
             return ds;
         }, "near \"SELEC\": syntax error"},
        {"a connection that is not open", []() -> std::unique_ptr<Dataset> {
             auto ds = std::make_unique<SqlDataset>(std::make_shared<QtSqlDatabase>(QSqlDatabase()), nullptr);
             ds->SetSql("SELECT 1");
             return ds;
         }, "La connessione al database non \xE8 aperta: "},
        {"a model that was freed", []() -> std::unique_ptr<Dataset> {
             auto model = std::make_unique<QStandardItemModel>(1, 1);
             auto ds = std::make_unique<ItemModelDataset>(model.get(), nullptr);
             ds->SetName("righe");
             return ds;
         }, "Il modello dei dati non esiste pi\xF9: righe"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Dataset> ds = c.make();
        try {
            ds->Open();
            ADD_FAILURE() << "opened";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_FALSE(ds->Active());
        EXPECT_EQ(ds->RecordCount(), 0);
    }
}

}  // namespace
}  // namespace tessaly::data
