#pragma once
// File dialogs as the forms describe them: a filter "description|mask|description|mask" with a
// 1-based filter index (0 counts as 1), a default extension and a title.
#include <filesystem>

#include <QString>
#include <QStringList>

#include "platform/core/Cp1252.h"

class QWidget;

namespace tessaly {

// Qt name filters for a filter text; masks are matched in either case, as the files' owners
// expect on a system whose names are case-sensitive.
QStringList QtNameFilters(const AnsiString& filter);

class TFileDialog {
public:
    enum class Kind { Open, Save };

    AnsiString Title;
    AnsiString Filter;
    int FilterIndex = 1;
    AnsiString DefaultExt;  // with or without the leading "."
    std::filesystem::path FileName;
    std::filesystem::path InitialDir;

    // True when the user confirmed; FileName and FilterIndex then hold the choice.
    bool Execute(QWidget* parent, Kind kind = Kind::Open);
};

}  // namespace tessaly
