#include "platform/data/SqlQueryDataset.h"

#include "platform/data/QtSqlCursor.h"

namespace tessaly::data {

SqlQueryDataset::SqlQueryDataset(QSqlQuery&& query, TComponent* owner)
    : CursorDataset(owner), query_(std::make_shared<QSqlQuery>(std::move(query))) {}

SqlQueryDataset::~SqlQueryDataset() { CloseOnDestroy(); }

std::vector<FieldDef> SqlQueryDataset::OpenRecords() {
    ExecuteQuery(*query_);
    return SetCursor(std::make_unique<QtSqlCursor>(query_));
}

}  // namespace tessaly::data
