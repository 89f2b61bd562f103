#include "platform/data/QtSqlDatabase.h"

#include "platform/core/QtStrings.h"
#include "platform/data/Dataset.h"
#include "platform/data/QtSqlCursor.h"

namespace tessaly::data {

void QtSqlDatabase::CheckOpen() const {
    if (!connection_.isOpen())
        throw EDatabaseError("La connessione al database non \xE8 aperta: " + FromQString(connection_.connectionName()));
}

std::vector<Database::Table> QtSqlDatabase::Tables() {
    CheckOpen();
    std::vector<Table> tables;
    for (const QString& name : connection_.tables(QSql::Tables)) tables.push_back({FromQString(name), false});
    for (const QString& name : connection_.tables(QSql::Views)) tables.push_back({FromQString(name), true});
    SortTables(tables);
    return tables;
}

std::unique_ptr<SqlCursor> QtSqlDatabase::Query(const AnsiString& sql, const std::vector<SqlParam>& params) {
    CheckOpen();
    return std::make_unique<QtSqlCursor>(ExecuteQuery(connection_, sql, params));
}

}  // namespace tessaly::data
