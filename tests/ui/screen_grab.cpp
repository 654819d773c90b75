// Saves the X display's whole screen as a PNG: the screenshot script's camera, so taking a
// picture of the real window needs nothing beyond Qt.
//
//   dorvane-screen-grab OUTPUT.png

#include <cstdio>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dorvane-screen-grab OUTPUT.png\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "Cannot create file %s\n", argv[1]);
        return 1;
    }
    return 0;
}
