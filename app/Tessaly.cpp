// Program entry of the viewer: the engine's units, the application titled "Tessaly", the main
// form, the message loop; then the units again in reverse order.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "app/UnitMain.h"
#include "engine/ui/SpoolerPrinters.h"
#include "engine/ui/UiStartup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Every text the user sees is Italian, the platform's own dialogs (file, print) included.
    QTranslator platformTexts;
    if (platformTexts.load(QLocale(QLocale::Italian, QLocale::Italy), "qtbase", "_",
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&platformTexts);
    // The spooler's printers, the default one current, are what the preview prints on.
    std::unique_ptr<tessaly::print::Printer> printer = tessaly::CreateSpoolerPrinter();
    tessaly::EngineWindowUnits units(printer.get());
    QApplication::setApplicationName("Tessaly");
    QGuiApplication::setDesktopFileName("tessaly");  // its installed desktop entry: name and icon
    QIcon icon;
    for (const char* size : {"16", "32", "64"}) icon.addFile(QString(":/icons/tessaly-") + size);
    QApplication::setWindowIcon(icon);
    // The application ends when its main form closes, which may never have been shown.
    QApplication::setQuitOnLastWindowClosed(false);
    int status = 0;
    {
        tessaly::TFormTessaly form(std::vector<std::string>(argv, argv + argc));
        QTimer::singleShot(0, &form, &tessaly::TFormTessaly::FormShow);
        status = app.exec();
    }
    return status;
}
