// Build tool: writes the application icon as a PNG picture for the desktop entry.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "app/about/ondela_icon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ondela_icon_writer SIZE OUTPUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = std::atoi(argv[1]);
    if (size < 16 || size > 1024) return 2;
    return ondela::PaintOndelaIcon(size).save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
