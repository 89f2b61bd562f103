#include "platform/data/PgDatabase.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>

#include "platform/core/DateTime.h"
#include "platform/data/Dataset.h"
#include "platform/text/NumberFormat.h"

namespace tessaly::data {

namespace {

// The server's message: its first line (what follows points into the SQL text).
[[noreturn]] void Throw(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) text = error.text().trimmed();
    throw EDatabaseError(Utf8ToCp1252(text.section(u'\n', 0, 0).toStdString()));
}

QString ToQString(std::string_view cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

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

QVariant ToQVariant(const Variant& v) {
    switch (v.Type()) {
        case VarType::Empty:
        case VarType::Null: return QVariant();
        case VarType::Byte:
        case VarType::Integer: return v.IntegerValue();
        case VarType::Boolean: return v.BooleanValue();
        case VarType::Double: return v.DoubleValue();
        case VarType::Currency: {
            FormatSettings plain = FormatSettings::Italian();
            plain.DecimalSeparator = '.';
            return QString::fromStdString(FormatGeneral(v.CurrencyValue(), plain));  // exact
        }
        case VarType::Date: {
            const DateParts d = DecodeDate(v.DoubleValue());
            const TimeParts t = DecodeTime(v.DoubleValue());
            return QDateTime(QDate(d.year, d.month, d.day), QTime(t.hour, t.minute, t.second, t.msec));
        }
        case VarType::String: return ToQString(v.StringValue());
    }
    return QVariant();
}

class PgCursor : public SqlCursor {
public:
    PgCursor(const QSqlDatabase& db, const AnsiString& sql, const std::vector<SqlParam>& params) : query_(db) {
        query_.setForwardOnly(false);  // all records at once: other queries may run meanwhile
        query_.setNumericalPrecisionPolicy(QSql::HighPrecision);  // numeric as exact text
        if (!query_.prepare(ToQString(sql))) Throw(query_.lastError());
        for (const SqlParam& p : params) query_.bindValue(ToQString(":" + p.name), ToQVariant(p.value));
        if (!query_.exec()) Throw(query_.lastError());
        const QSqlRecord record = query_.record();
        for (int c = 0; c < record.count(); ++c) {
            types_.push_back(record.field(c).typeID());
            fields_.push_back({Utf8ToCp1252(record.fieldName(c).toStdString()), KindOfType(types_.back())});
        }
    }

    bool MoveTo(int index) override {
        if (index < 0 || index >= Count() || !query_.seek(index)) return false;
        row_.Clear();
        for (int c = 0; c < static_cast<int>(types_.size()); ++c) Add(c, query_.value(c));
        current_ = index;
        return true;
    }
    int Count() override { return std::max(query_.size(), 0); }
    SqlValue Value(int column) const override { return current_ >= 0 ? row_.At(column) : SqlValue{}; }

private:
    void Add(int column, const QVariant& v) {
        if (v.isNull()) return row_.AddNull();
        switch (v.typeId()) {
            case QMetaType::Bool: return row_.AddInteger(v.toBool() ? 1 : 0);
            case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
                return row_.AddInteger(v.toLongLong());
            case QMetaType::Double: return row_.AddFloat(v.toDouble());
            case QMetaType::QByteArray: return row_.AddBlob(v.toByteArray().toStdString());
            case QMetaType::QDate: return AddDateTime(v.toDate(), QTime(0, 0), v);
            case QMetaType::QTime: return AddDateTime({}, v.toTime(), v);
            case QMetaType::QDateTime: return AddDateTime(v.toDateTime().date(), v.toDateTime().time(), v);
            default:
                if (types_[column] == kMoneyType) return row_.AddText(PlainAmount(v.toString()));
                return row_.AddText(v.toString().toStdString());
        }
    }

    // A date (none for a time of day alone) and a time; a date outside years 1 to 9999 stays text.
    void AddDateTime(QDate date, QTime time, const QVariant& v) {
        double day = 0, clock = 0;
        if ((date.isValid() && !TryEncodeDate(date.year(), date.month(), date.day(), day)) ||
            !TryEncodeTime(time.hour(), time.minute(), time.second(), time.msec(), clock))
            return row_.AddText(v.toString().toStdString());
        row_.AddDateTime(CombineDateTime(day, clock));
    }

    QSqlQuery query_;
    std::vector<int> types_;
    SqlRow row_;
    int current_ = -1;
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
    if (!db.open()) Throw(db.lastError());
    QSqlQuery session(db);
    for (const char* setting : {"SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY", "SET lc_monetary TO 'C'"})
        if (!session.exec(setting)) Throw(session.lastError());
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
        Throw(query.lastError());
    std::vector<Table> tables;
    while (query.next())
        tables.push_back({Utf8ToCp1252(query.value(0).toString().toStdString()), query.value(1).toString() == "VIEW"});
    SortTables(tables);
    return tables;
}

std::unique_ptr<SqlCursor> PgDatabase::Query(const AnsiString& sql, const std::vector<SqlParam>& params) {
    return std::make_unique<PgCursor>(QSqlDatabase::database(connection_, false), sql, params);
}

}  // namespace tessaly::data
