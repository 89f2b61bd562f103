#pragma once
// A dataset over a query the host made on its own Qt SQL connection (any driver):
//
//   QSqlQuery query(QSqlDatabase::database("ordini"));
//   query.prepare("SELECT * FROM righe WHERE anno = :anno");
//   query.bindValue(":anno", 2024);
//   auto* rows = new SqlQueryDataset(std::move(query), module);  // module: the host's data module "Dati"
//   rows->SetName("righe");
//
// Every Open runs the query again, so each preparation of a report reads the records as they are
// then; values bound meanwhile (Query().bindValue) count from the next Open. A query that fails
// leaves the dataset closed with the driver's message, which a preparation reports as its error.
#include <QSqlQuery>
#include <memory>

#include "platform/data/CursorDataset.h"

namespace tessaly::data {

class SqlQueryDataset : public CursorDataset {
public:
    // `query` is prepared (QSqlQuery::prepare) or has been run once.
    SqlQueryDataset(QSqlQuery&& query, TComponent* owner);
    ~SqlQueryDataset() override;

    QSqlQuery& Query() { return *query_; }

protected:
    std::vector<FieldDef> OpenRecords() override;

private:
    std::shared_ptr<QSqlQuery> query_;  // shared with the cursor while open
};

}  // namespace tessaly::data
