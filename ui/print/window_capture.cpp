#include "ui/print/window_capture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace ondela {

QImage ScreenWindowCapture::Capture(QWidget* window) {
    if (window == nullptr) return {};
    QWidget* top = window->window();
    const QRect frame = top->frameGeometry();
    if (frame.isEmpty()) return {};

    QScreen* screen = top->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    // The offscreen and minimal platforms have no screen to read: their grab is black.
    const QString platform = QGuiApplication::platformName();
    const bool screenReadable = platform != "offscreen" && platform != "minimal";
    if (screen != nullptr && top->isVisible() && screenReadable) {
        // grabWindow with window id 0 reads the screen itself; its coordinates are relative to
        // the screen's own geometry.
        const QPoint origin = frame.topLeft() - screen->geometry().topLeft();
        const QPixmap shot =
            screen->grabWindow(0, origin.x(), origin.y(), frame.width(), frame.height());
        if (!shot.isNull()) return shot.toImage();
    }

    const QPixmap drawn = top->grab();
    if (drawn.isNull()) return {};
    return drawn.toImage();
}

}  // namespace ondela
