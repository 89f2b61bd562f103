#include "platform/data/QtSqlCursor.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

#include "platform/core/QtStrings.h"
#include "platform/data/Dataset.h"
#include "platform/data/QtValues.h"

namespace tessaly::data {

namespace {

std::vector<FieldDef> QtFields(const QSqlRecord& record) {
    std::vector<FieldDef> fields;
    for (int c = 0; c < record.count(); ++c)
        fields.push_back({FromQString(record.fieldName(c)), KindOfQtType(record.field(c).metaType())});
    return fields;
}

}  // namespace

void ThrowSqlError(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) text = error.text().trimmed();
    if (text.isEmpty()) text = QStringLiteral("Errore del database");
    throw EDatabaseError(FromQString(text.section(u'\n', 0, 0)));
}

void ExecuteQuery(QSqlQuery& query) {
    query.setForwardOnly(false);  // all records at once: other queries may run meanwhile
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);  // decimals as exact text
    if (query.lastQuery().isEmpty()) throw EDatabaseError("La query non ha un testo SQL");
    // A statement that could not be prepared fails to run with a message of no use ("No query"):
    // the preparing's own message is the one to give.
    const QSqlError prepared = query.lastError();
    if (!query.exec()) ThrowSqlError(prepared.isValid() ? prepared : query.lastError());
}

std::shared_ptr<QSqlQuery> ExecuteQuery(const QSqlDatabase& db, const AnsiString& sql,
                                        const std::vector<SqlParam>& params) {
    auto query = std::make_shared<QSqlQuery>(db);
    query->setForwardOnly(false);
    if (!query->prepare(ToQString(sql))) ThrowSqlError(query->lastError());
    for (const SqlParam& p : params) query->bindValue(ToQString(":" + p.name), ToQVariant(p.value));
    ExecuteQuery(*query);
    return query;
}

QtSqlCursor::QtSqlCursor(std::shared_ptr<QSqlQuery> query) : QtSqlCursor(query, QtFields(query->record())) {}

QtSqlCursor::QtSqlCursor(std::shared_ptr<QSqlQuery> query, std::vector<FieldDef> fields) : query_(std::move(query)) {
    fields_ = std::move(fields);
}

bool QtSqlCursor::MoveTo(int index) {
    if (index < 0 || index >= Count() || !query_->seek(index)) return false;
    row_.Clear();
    for (int c = 0; c < static_cast<int>(fields_.size()); ++c) AddValue(c, query_->value(c));
    current_ = index;
    return true;
}

// Drivers that cannot tell the size of a result are counted once, by going to its last record.
int QtSqlCursor::Count() {
    if (count_ >= 0) return count_;
    if (query_->driver() && query_->driver()->hasFeature(QSqlDriver::QuerySize) && query_->size() >= 0)
        count_ = query_->size();
    else
        count_ = query_->last() ? query_->at() + 1 : 0;
    if (current_ >= 0) query_->seek(current_);
    return count_;
}

void QtSqlCursor::AddValue(int column, const QVariant& value) { AddQtValue(row_, value); }

}  // namespace tessaly::data
