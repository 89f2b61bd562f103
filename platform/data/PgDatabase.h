#pragma once
// The PostgreSQL back end, over QtSql's PostgreSQL driver. A query's records are fetched whole, so
// that several datasets of one connection can walk at the same time (a master and its detail).
// The session only reads, and sees amounts of money in the C locale's form.
#include <memory>
#include <string>

#include <QString>

#include "platform/data/Database.h"

namespace tessaly::data {

// "postgresql://..." or "postgres://...".
bool IsPostgresUri(std::string_view source);

class PgDatabase : public Database {
public:
    // EDatabaseError with the server's message when the URI is not valid or the connection fails.
    explicit PgDatabase(const std::string& uri);
    ~PgDatabase() override;

    std::vector<Table> Tables() override;
    std::unique_ptr<SqlCursor> Query(const AnsiString& sql, const std::vector<SqlParam>& params) override;

private:
    QString connection_;  // the QtSql connection's name, unique to this database
};

}  // namespace tessaly::data
