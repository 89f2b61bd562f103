#include "platform/data/PgDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>

#include "platform/core/QtStrings.h"
#include "platform/data/Dataset.h"
#include "platform/data/QtSqlCursor.h"

namespace tessaly::data {

namespace {

// The kinds of PostgreSQL's built-in types, by type number; other types are read as text.
FieldKind KindOfType(int oid) {
    switch (oid) {
        case 16: return FieldKind::Boolean;                        // bool
        case 17: return FieldKind::Blob;                           // bytea
        case 20: case 21: case 23: case 26: return FieldKind::Integer;  // int8, int2, int4, oid
        case 700: case 701: return FieldKind::Float;               // float4, float8
        case 790: case 1700: return FieldKind::Currency;           // money, numeric
        case 1082: case 1083: case 1114: case 1184: case 1266: return FieldKind::DateTime;
        default: return FieldKind::String;
    }
}
constexpr int kMoneyType = 790;

// "-$1,234.56" (the C locale's form) to "-1234.56".
std::string PlainAmount(const QString& money) {
    std::string plain;
    for (QChar c : money)
        if (c.isDigit() || c == u'-' || c == u'.') plain += static_cast<char>(c.unicode());
    return plain;
}

std::vector<FieldDef> PgFields(const QSqlRecord& record) {
    std::vector<FieldDef> fields;
    for (int c = 0; c < record.count(); ++c)
        fields.push_back({FromQString(record.fieldName(c)), KindOfType(record.field(c).typeID())});
    return fields;
}

// Kinds by type number, and amounts of money as plain decimals.
class PgCursor : public QtSqlCursor {
public:
    explicit PgCursor(const std::shared_ptr<QSqlQuery>& query) : QtSqlCursor(query, PgFields(query->record())) {
        const QSqlRecord record = Query().record();
        for (int c = 0; c < record.count(); ++c) money_.push_back(record.field(c).typeID() == kMoneyType);
    }

protected:
    void AddValue(int column, const QVariant& value) override {
        if (money_[size_t(column)] && !value.isNull()) return Row().AddText(PlainAmount(value.toString()));
        QtSqlCursor::AddValue(column, value);
    }

private:
    std::vector<bool> money_;
};

// The connection settings of a URI: host (or socket folder), port, database, user, password, and
// the other query parameters as options.
void Configure(QSqlDatabase& db, const std::string& uri) {
    const QUrl url(QString::fromStdString(uri), QUrl::StrictMode);
    if (!url.isValid()) throw EDatabaseError("Indirizzo del database non valido: " + Utf8ToCp1252(uri));
    db.setHostName(url.host());
    if (url.port() > 0) db.setPort(url.port());
    db.setDatabaseName(url.path().mid(1));
    db.setUserName(url.userName());
    db.setPassword(url.password());
    QStringList options;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key == u"host") db.setHostName(value);
        else if (key == u"port") db.setPort(value.toInt());
        else if (key == u"dbname") db.setDatabaseName(value);
        else if (key == u"user") db.setUserName(value);
        else if (key == u"password") db.setPassword(value);
        else options << key + u'=' + value;
    }
    db.setConnectOptions(options.join(u';'));
}

void Connect(const QString& connection, const std::string& uri) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", connection);
    if (!db.isValid()) throw EDatabaseError("Manca il driver PostgreSQL di Qt (libqt6sql6-psql)");
    Configure(db, uri);
    if (!db.open()) ThrowSqlError(db.lastError());
    QSqlQuery session(db);
    for (const char* setting : {"SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY", "SET lc_monetary TO 'C'"})
        if (!session.exec(setting)) ThrowSqlError(session.lastError());
}

}  // namespace

bool IsPostgresUri(std::string_view source) {
    return source.starts_with("postgresql://") || source.starts_with("postgres://");
}

PgDatabase::PgDatabase(const std::string& uri) {
    static std::atomic<int> serial{0};
    connection_ = QStringLiteral("tessaly-data-%1").arg(serial++);
    try {
        Connect(connection_, uri);
    } catch (...) {
        QSqlDatabase::removeDatabase(connection_);
        throw;
    }
}

PgDatabase::~PgDatabase() {
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

std::vector<Database::Table> PgDatabase::Tables() {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!query.exec("SELECT table_name, table_type FROM information_schema.tables "
                    "WHERE table_schema = current_schema()"))
        ThrowSqlError(query.lastError());
    std::vector<Table> tables;
    while (query.next())
        tables.push_back({Utf8ToCp1252(query.value(0).toString().toStdString()), query.value(1).toString() == "VIEW"});
    SortTables(tables);
    return tables;
}

std::unique_ptr<SqlCursor> PgDatabase::Query(const AnsiString& sql, const std::vector<SqlParam>& params) {
    return std::make_unique<PgCursor>(ExecuteQuery(QSqlDatabase::database(connection_, false), sql, params));
}

}  // namespace tessaly::data
