#include "engine/ui/UiHooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tessaly {

namespace {

// Line breaks as the engine's texts have them (CR LF, and LF CR in the loading messages).
QString BoxText(const QString& text) {
    QString shown = text;
    shown.replace("\r\n", "\n").replace("\n\r", "\n");
    return shown;
}

void ShowInformationBox(const QString& text) {
    QMessageBox box(QMessageBox::Information, "Informazione", BoxText(text), QMessageBox::Ok);
    box.exec();
}

void ShowMessageBox(TMsgDlgType type, const QString& caption, const QString& text) {
    const QMessageBox::Icon icon = type == TMsgDlgType::mtError     ? QMessageBox::Critical
                                   : type == TMsgDlgType::mtWarning ? QMessageBox::Warning
                                                                    : QMessageBox::Information;
    QMessageBox box(icon, caption, BoxText(text), QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void ShowWarningBox(const QString& text, const QString& caption) {
    ShowMessageBox(TMsgDlgType::mtWarning, caption, text);
}

bool ExecutePrintDialogBox(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(printer.fromPage(), printer.toPage());
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

TUiHooks DefaultUiHooks() {
    TUiHooks hooks;
    hooks.Beep = [] { QApplication::beep(); };
    hooks.ShowError = [](const QString& message) {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
    };
    hooks.ShowWarning = &ShowWarningBox;
    hooks.ShowInformation = &ShowInformationBox;
    hooks.ShowMessage = &ShowMessageBox;
    hooks.ExecuteFileDialog = [](TFileDialog& dialog, QWidget* parent, TFileDialog::Kind kind) {
        return dialog.Execute(parent, kind);
    };
    hooks.ExecutePrintDialog = &ExecutePrintDialogBox;
    return hooks;
}

TUiHooks& UiHooks() {
    static TUiHooks hooks = DefaultUiHooks();
    return hooks;
}

}  // namespace tessaly
