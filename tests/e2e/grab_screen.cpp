// Writes what the screen shows where one window lies (or the whole screen) to an image file, as a
// user would see it: the picture is read from the root window, so whatever the server displays
// there is what lands in the file. Window dumps of single windows on a virtual X server can read
// back black for windows the server has in fact painted; reading the screen does not.
//
//   grab_screen WINDOW_ID|root OUTPUT.{ppm,png}
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: grab_screen WINDOW_ID|root OUTPUT.{ppm,png}\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "grab_screen: no screen\n");
        return 1;
    }
    const bool root = std::strcmp(argv[1], "root") == 0;
    const WId window = root ? 0 : static_cast<WId>(std::strtoull(argv[1], nullptr, 0));
    const QImage image =
        screen->grabWindow(window).toImage().convertToFormat(QImage::Format_RGB888);
    if (image.isNull()) {
        std::fprintf(stderr, "grab_screen: window %s could not be read\n", argv[1]);
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "grab_screen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
