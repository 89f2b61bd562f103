// Program entry of the viewer.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tessaly");
    QMainWindow window;
    window.setWindowTitle("Tessaly");
    window.resize(208, 91);
    window.show();
    return app.exec();
}
