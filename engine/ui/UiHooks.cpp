#include "engine/ui/UiHooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tessaly {

namespace {

void ShowWarningBox(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void ShowInformationBox(const QString& text) {
    QString shown = text;
    shown.replace("\r\n", "\n");
    QMessageBox box(QMessageBox::Information, "Informazione", shown, QMessageBox::Ok);
    box.exec();
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
