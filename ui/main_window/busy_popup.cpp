#include "ui/main_window/busy_popup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cstring>

namespace ondela {

namespace {

const QColor kBackground(180, 232, 250);

constexpr int kCharWidth = 8;

// "Courier New" 18 pixels high; where a substitute face is wider, it is narrowed to 8 pixels
// per character so the notice keeps its size.
QFont BusyFont() {
    QFont f("Courier New");
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(18);
    f.setWeight(QFont::Medium);
    const int natural = QFontMetrics(f).horizontalAdvance('x');
    if (natural > kCharWidth) f.setStretch(100 * kCharWidth / natural);
    return f;
}

}  // namespace

QSize BusyTextArea(int length, int charWidth) {
    const int w = std::max(length * charWidth, 16) + 24;
    return QSize(w, std::max(w / 4, 18));
}

QPoint BusyPopupPosition(const QRect& mainFrame, int borderWidth, int borderHeight, QSize area) {
    const int left = mainFrame.left();
    const int top = mainFrame.top();
    const int right = mainFrame.left() + mainFrame.width();
    const int bottom = mainFrame.top() + mainFrame.height();
    const int rightLimit = right - borderWidth;
    const int bottomLimit = bottom - borderHeight;
    int x = (left + right - area.width()) / 2;
    int y = (top + bottom - area.height()) / 2;
    if (x + area.width() > rightLimit) x = rightLimit - area.width() - 5;
    if (y + area.height() > bottomLimit) y = bottomLimit - area.height() - 5;
    return QPoint(std::max(x, 10), std::max(y, 30));
}

BusyPopup::BusyPopup(QWidget* mainWindow)
    : QWidget(mainWindow,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(kBusyCaption);
    setFont(BusyFont());
    m_area = BusyTextArea(static_cast<int>(std::strlen(kBusyMessage)), kCharWidth);
    setFixedSize(m_area);
    const QRect frame = mainWindow ? mainWindow->frameGeometry() : QRect();
    move(BusyPopupPosition(frame, 1, 1, m_area));
    show();
    // The design that follows handles no events: wait until the window system has shown the
    // notice (at most half a second), paint it and hand the picture to the window system now.
    QElapsedTimer waited;
    waited.start();
    while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < 500) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QGuiApplication::sync();
}

void BusyPopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    p.setPen(Qt::black);
    p.setFont(font());
    const QRect textRow(0, m_area.height() / 2 - 8, m_area.width(), QFontMetrics(font()).height());
    p.drawText(textRow, Qt::AlignHCenter | Qt::AlignTop, kBusyMessage);
}

}  // namespace ondela
