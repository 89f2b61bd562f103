#pragma once
// A host's own Qt SQL connection as a database: any driver Qt has (SQLite, PostgreSQL, MySQL,
// ODBC, ...), opened and configured by the host. A SqlDataset over it reads a table or a query
// with ":name" parameters, and a DatabaseModule over it gives one dataset per table and view:
//
//   auto db = std::make_shared<QtSqlDatabase>(QSqlDatabase::database("ordini"));
//   auto* rows = new SqlDataset(db, module);  // module: the host's data module "Dati"
//   rows->SetName("righe");
//   rows->SetSql("SELECT * FROM righe WHERE ordine = :ordine");
//
// The connection stays the host's: it is neither opened nor closed here, and must stay open
// while its datasets are. Only the thread that made the connection may use it.
#include <QSqlDatabase>

#include "platform/data/Database.h"

namespace tessaly::data {

class QtSqlDatabase : public Database {
public:
    explicit QtSqlDatabase(QSqlDatabase connection) : connection_(std::move(connection)) {}

    // The tables and views the driver lists, in the byte order of their names. EDatabaseError
    // when the connection is not open.
    std::vector<Table> Tables() override;
    // EDatabaseError with the driver's message when the statement cannot be prepared or run.
    std::unique_ptr<SqlCursor> Query(const AnsiString& sql, const std::vector<SqlParam>& params) override;

    const QSqlDatabase& Connection() const { return connection_; }

private:
    void CheckOpen() const;

    QSqlDatabase connection_;
};

}  // namespace tessaly::data
