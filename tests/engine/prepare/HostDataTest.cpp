// A report over a host's own data: the data module the host registers, each of its kinds of data
// read as it is when a preparation runs, and a failing query reported as the preparation's error
// with the driver's message.
#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QStandardItemModel>
#include <functional>

#include "ReportBuilder.h"
#include "platform/data/DataModule.h"
#include "platform/data/ItemModelDataset.h"
#include "platform/data/QtSqlDatabase.h"
#include "platform/data/SqlDataset.h"
#include "platform/data/SqlQueryDataset.h"

namespace preparetest {
namespace {

QSqlDatabase Connection() {
    tessaly::testing::EnsureApplication();
    const QString id = QStringLiteral("host-data");
    if (QSqlDatabase::contains(id)) return QSqlDatabase::database(id);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), id);
    db.setDatabaseName(QStringLiteral(":memory:"));
    EXPECT_TRUE(db.open());
    return db;
}

void Exec(const char* sql) { EXPECT_TRUE(QSqlQuery(Connection()).exec(sql)) << sql; }

// A kind of host data: the dataset "righe" (n, nome) over two rows, and a change the host makes to
// them between two preparations (the first row renamed, a third row added).
struct HostData {
    const char* name;
    std::function<data::Dataset*(TComponent& owner)> make;
    std::function<void()> change;
};

QStandardItemModel model;
data::MemoryDataset* memory = nullptr;

std::vector<HostData> Kinds() {
    return {
        {"table model",
         [](TComponent& owner) {
             model.clear();
             model.setHorizontalHeaderLabels({"n", "nome"});
             for (int n : {1, 2}) model.appendRow({new QStandardItem(QString::number(n)), new QStandardItem(QString("Riga %1").arg(n))});
             return new data::ItemModelDataset(&model, &owner);
         },
         [] {
             model.item(0, 1)->setText("Prima");
             model.appendRow({new QStandardItem("3"), new QStandardItem("Riga 3")});
         }},
        {"Qt rows in memory",
         [](TComponent& owner) {
             memory = new data::MemoryDataset(&owner, NumberedColumns());
             for (int n : {1, 2}) memory->AppendQtRow({n, QString("Riga %1").arg(n)});
             return memory;
         },
         [] {
             memory->SetValue(0, 1, Variant("Prima"));
             memory->AppendQtRow({3, QString("Riga 3")});
         }},
        {"host's query",
         [](TComponent& owner) {
             Exec("DROP TABLE IF EXISTS righe");
             Exec("CREATE TABLE righe (n INTEGER, nome TEXT)");
             Exec("INSERT INTO righe VALUES (1, 'Riga 1'), (2, 'Riga 2')");
             QSqlQuery query(Connection());
             query.prepare("SELECT n, nome FROM righe ORDER BY n");
             return new data::SqlQueryDataset(std::move(query), &owner);
         },
         [] { Exec("UPDATE righe SET nome = 'Prima' WHERE n = 1"), Exec("INSERT INTO righe VALUES (3, 'Riga 3')"); }},
    };
}

class HostData_ : public ::testing::Test, public ReportBuilder {
protected:
    HostData_() {
        module.SetName("Dati");
        data::ApplicationModules().AddDataModule(module);
        Band(btMasterData, 20, 20, "righe");
        Text(10, 21, "[Dati.righe.n] [nome]");
    }
    data::TDataModule module{nullptr};
};

TEST_F(HostData_, EachKindIsReadAsItIsWhenTheReportIsPreparedAgain) {
    for (const HostData& kind : Kinds()) {
        for (bool hostOpens : {false, true}) {
            if (hostOpens && std::string(kind.name) == "host's query") continue;  // an open query keeps its records
            SCOPED_TRACE(std::string(kind.name) + (hostOpens ? ", opened by the host" : ""));
            data::Dataset* rows = kind.make(module);
            rows->SetName("righe");
            Walk("righe", *rows);
            if (hostOpens) data::OpenDatasets(module);
            ASSERT_TRUE(Prepare()) << error;
            EXPECT_EQ(AllLines(), (std::vector<std::string>{"1 Riga 1", "2 Riga 2"}));
            kind.change();
            ASSERT_TRUE(Prepare()) << error;
            EXPECT_EQ(AllLines(), (std::vector<std::string>{"1 Prima", "2 Riga 2", "3 Riga 3"}));
            report->ClearDatasets();
            delete rows;
        }
    }
}

// A query that fails, and the driver's message in the preparation's error.
struct FailingQuery {
    const char* what;
    std::function<data::Dataset*(TComponent& owner)> make;
    const char* driverMessage;
};

TEST_F(HostData_, AQueryThatFailsStopsThePreparationWithTheDriversMessage) {
    const FailingQuery cases[] = {
        {"host's query",
         [](TComponent& owner) {
             QSqlQuery query(Connection());
             query.prepare("SELECT n, nome FROM assente");
             return new data::SqlQueryDataset(std::move(query), &owner);
         },
         "no such table: assente"},
        {"SQL on the host's connection",
         [](TComponent& owner) {
             auto* ds = new data::SqlDataset(std::make_shared<data::QtSqlDatabase>(Connection()), &owner);
             ds->SetSql("SELECT n, nome FROM righe WHERE");
             return ds;
         },
         "incomplete input"},
    };
    for (const FailingQuery& c : cases) {
        SCOPED_TRACE(c.what);
        data::Dataset* rows = c.make(module);
        rows->SetName("righe");
        Walk("righe", *rows);
        EXPECT_FALSE(Prepare());
        EXPECT_NE(error.find("Non \xC3\xA8 stato possibile aprire il Dataset: righe\r\n" + std::string(c.driverMessage)),
                  std::string::npos)
            << error;
        EXPECT_EQ(report->EMFPages().Count(), 0);
        report->ClearDatasets();
        delete rows;
    }
}

}  // namespace
}  // namespace preparetest
