#include "engine/ui/CV_Dialogs.h"

#include <QFileDialog>

#include "platform/core/QtStrings.h"

namespace tessaly {

namespace {

QString BothCases(const QString& masks) {
    QStringList out;
    for (const QString& mask : masks.split(';', Qt::SkipEmptyParts)) {
        QString m = mask.trimmed();
        out << m;
        if (m.toLower() != m) out << m.toLower();
        if (m.toUpper() != m) out << m.toUpper();
    }
    out.removeDuplicates();
    return out.join(' ');
}

// The 1-based index of the filter chosen in the dialog. While the masks are hidden, Qt names the
// chosen filter by the text it shows, the description, rather than as it was given.
int ChosenFilterIndex(const QFileDialog& dialog, const AnsiString& filter, const QStringList& filters) {
    const QString chosen = dialog.selectedNameFilter();
    const QStringList parts = ToQString(filter).split('|');
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (chosen == filters[i] || chosen == parts[2 * i].simplified()) return static_cast<int>(i) + 1;
    return 1;
}

}  // namespace

QStringList QtNameFilters(const AnsiString& filter) {
    QStringList parts = ToQString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + BothCases(parts[i + 1]) + ")";
    return filters;
}

bool TFileDialog::Execute(QWidget* parent, Kind kind) {
    QFileDialog dialog(parent, ToQString(Title));
    dialog.setAcceptMode(kind == Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters = QtNameFilters(Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        int index = std::clamp(FilterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    QString ext = ToQString(DefaultExt);
    if (ext.startsWith('.')) ext.remove(0, 1);
    if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);
    if (!InitialDir.empty()) dialog.setDirectory(QString::fromStdString(InitialDir.string()));
    if (!FileName.empty()) dialog.selectFile(QString::fromStdString(FileName.string()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    FileName = std::filesystem::path(dialog.selectedFiles().first().toStdString());
    FilterIndex = ChosenFilterIndex(dialog, Filter, filters);
    return true;
}

}  // namespace tessaly
