#pragma once
// The records of a query through Qt SQL, whatever its driver: the cursor of the PostgreSQL back
// end, of a host's own connection (QtSqlDatabase) and of a host's own query (SqlQueryDataset).
// Records are fetched whole, so that several queries of one connection can walk at the same time
// (a master and its detail).
#include <QSqlQuery>
#include <memory>
#include <vector>

#include "platform/data/Database.h"

class QSqlError;
class QSqlField;

namespace tessaly::data {

// The driver's message for an error: its first line (what follows points into the SQL text).
[[noreturn]] void ThrowSqlError(const QSqlError& error);
// Runs `query` again as it stands (prepared, its values bound), reading backwards as well as
// forwards; EDatabaseError with the driver's message.
void ExecuteQuery(QSqlQuery& query);
// Prepares `sql` (cp1252) on `db`, binds the ":name" parameters it names and runs it.
std::shared_ptr<QSqlQuery> ExecuteQuery(const QSqlDatabase& db, const AnsiString& sql, const std::vector<SqlParam>& params);

class QtSqlCursor : public SqlCursor {
public:
    // Over a query that has run, shared with whoever runs it again; the fields' kinds from their
    // Qt types (KindOfQtType).
    explicit QtSqlCursor(std::shared_ptr<QSqlQuery> query);

    bool MoveTo(int index) override;
    int Count() override;
    SqlValue Value(int column) const override { return current_ >= 0 ? row_.At(column) : SqlValue{}; }

protected:
    // Fields told by the caller (a driver that knows its types better).
    QtSqlCursor(std::shared_ptr<QSqlQuery> query, std::vector<FieldDef> fields);
    // Adds the value of `column` in the current record to Row().
    virtual void AddValue(int column, const QVariant& value);
    SqlRow& Row() { return row_; }
    const QSqlQuery& Query() const { return *query_; }

private:
    std::shared_ptr<QSqlQuery> query_;
    SqlRow row_;
    int current_ = -1;
    int count_ = -1;  // -1 until known
};

}  // namespace tessaly::data
