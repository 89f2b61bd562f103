// A host that keeps its application object in a static: playing text fills the player's font
// cache, and the program must still end cleanly (the cache goes before the application does).
#include <QApplication>
#include <QImage>
#include <QPainter>

#include "platform/emf/EmfPlayer.h"
#include "platform/emf/RecordingCanvas.h"

using namespace tessaly;

static int argc = 1;
static char name[] = "static-app-exit";
static char* argv[] = {name, nullptr};
static QApplication* App() {
    static QApplication app(argc, argv);
    return &app;
}

int main() {
    App();
    emf::RecordingCanvas canvas(200, 100);
    canvas.TextOut(10, 10, "Hello world");
    emf::Metafile picture = canvas.Close();
    QImage image(200, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    emf::PlayMetafile(painter, picture, QRectF(0, 0, 200, 100));
    painter.end();
    return 0;
}
