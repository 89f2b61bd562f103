#pragma once
// Qt's values as the engine reads them: what a host's table model, a Qt SQL query and a host's
// rows of Qt values hold, added to a record as a database gives it, and the kinds their types
// name. Text goes from UTF-16 to cp1252 as a field reads it (characters cp1252 lacks become '?').
#include <QMetaType>
#include <QVariant>

#include "platform/core/Variant.h"
#include "platform/data/Field.h"
#include "platform/data/SqlValue.h"

namespace tessaly::data {

// Adds `value` to `row`: null (or invalid) as Null, bool as 0 or 1, whole numbers as Integers,
// double and float as Floats, bytes as a Blob, dates and times as DateTimes (a date outside
// years 1 to 9999 as its text), anything else as its text.
void AddQtValue(SqlRow& row, const QVariant& value);
// The kind of a column of this Qt type: Boolean, Integer, Float, DateTime, Blob; String for any
// other type.
FieldKind KindOfQtType(QMetaType type);
// The value a field of `kind` shows for `value` (FieldValueOf on it).
Variant QtFieldValue(FieldKind kind, const QVariant& value);
// The engine's value as a Qt value, for a query's parameters: Empty and Null as a null QVariant,
// a Currency as its exact decimal text, a Date as a QDateTime, a String in UTF-16.
QVariant ToQVariant(const Variant& value);

}  // namespace tessaly::data
