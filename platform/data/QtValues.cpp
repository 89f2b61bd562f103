#include "platform/data/QtValues.h"

#include <QDateTime>

#include "platform/core/DateTime.h"
#include "platform/core/QtStrings.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/NumberFormat.h"

namespace tessaly::data {

namespace {

// A date (invalid for a time of day alone) and a time; a date outside years 1 to 9999 stays text.
void AddDateTime(SqlRow& row, QDate date, QTime time, const QVariant& value) {
    double day = 0, clock = 0;
    if ((date.isValid() && !TryEncodeDate(date.year(), date.month(), date.day(), day)) ||
        !TryEncodeTime(time.hour(), time.minute(), time.second(), time.msec(), clock))
        return row.AddText(value.toString().toStdString());
    row.AddDateTime(CombineDateTime(day, clock));
}

}  // namespace

void AddQtValue(SqlRow& row, const QVariant& v) {
    if (v.isNull()) return row.AddNull();
    switch (KindOfQtType(v.metaType())) {
        case FieldKind::Boolean: return row.AddInteger(v.toBool() ? 1 : 0);
        case FieldKind::Integer:
            if (v.typeId() == QMetaType::ULongLong) return row.AddFloat(double(v.toULongLong()));
            return row.AddInteger(v.toLongLong());
        case FieldKind::Float: return row.AddFloat(v.toDouble());
        case FieldKind::Blob: return row.AddBlob(v.toByteArray().toStdString());
        case FieldKind::DateTime:
            if (v.typeId() == QMetaType::QDateTime) return AddDateTime(row, v.toDateTime().date(), v.toDateTime().time(), v);
            if (v.typeId() == QMetaType::QDate) return AddDateTime(row, v.toDate(), QTime(0, 0), v);
            return AddDateTime(row, QDate(), v.toTime(), v);
        default: return row.AddText(v.toString().toStdString());
    }
}

FieldKind KindOfQtType(QMetaType type) {
    switch (type.id()) {
        case QMetaType::Bool: return FieldKind::Boolean;
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
        case QMetaType::SChar: case QMetaType::UChar: case QMetaType::Char:
            return FieldKind::Integer;
        case QMetaType::Double: case QMetaType::Float: return FieldKind::Float;
        case QMetaType::QDate: case QMetaType::QTime: case QMetaType::QDateTime: return FieldKind::DateTime;
        case QMetaType::QByteArray: return FieldKind::Blob;
        default: return FieldKind::String;
    }
}

Variant QtFieldValue(FieldKind kind, const QVariant& value) {
    SqlRow row;
    AddQtValue(row, value);
    return FieldValueOf(kind, row.At(0));
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
        case VarType::String: return ToQString(AnsiString(v.StringValue()));
    }
    return QVariant();
}

}  // namespace tessaly::data
