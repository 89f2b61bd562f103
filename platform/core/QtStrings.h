#pragma once
// The one conversion between the engine's cp1252 strings and Qt's strings, for the code at the
// edge that hands text to Qt (widgets, window titles, PDF titles, font names). Header-only: only
// targets that use Qt include it.
#include <QString>

#include "platform/core/Cp1252.h"

namespace tessaly {

inline QString ToQString(const AnsiString& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

// Characters that cp1252 lacks become "?".
inline AnsiString FromQString(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

}  // namespace tessaly
