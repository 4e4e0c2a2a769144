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
constexpr int kProgressPixels = 12;
constexpr int kCancelWidth = 80;
constexpr int kCancelHeight = 24;

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
    setWindowModality(Qt::ApplicationModal);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setGeometry(m_area.width() - kCancelWidth - 8, m_area.height() - kCancelHeight - 6,
                          kCancelWidth, kCancelHeight);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
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

void BusyPopup::ShowProgress(const QString& text) {
    m_progress = text;
    m_cancel->show();
    repaint();
    QApplication::processEvents();
}

void BusyPopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    p.setPen(Qt::black);
    p.setFont(font());
    const QRect textRow(0, m_area.height() / 2 - 8, m_area.width(), QFontMetrics(font()).height());
    p.drawText(textRow, Qt::AlignHCenter | Qt::AlignTop, kBusyMessage);
    if (m_progress.isEmpty()) return;
    // The progress in a smaller face below the text, beside the button, on up to two lines.
    QFont small = font();
    small.setPixelSize(kProgressPixels);
    small.setStretch(QFont::Unstretched);
    p.setFont(small);
    const int margin = 8;
    const int top = textRow.bottom() + 6;
    const QRect progressArea(margin, top, m_cancel->x() - 2 * margin,
                             m_area.height() - top - margin / 2);
    p.drawText(progressArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_progress);
}

}  // namespace ondela
