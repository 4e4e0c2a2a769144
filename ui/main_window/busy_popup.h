// The "Please wait" notice shown over the main window before a long design. The design blocks
// the user-interface thread, so the notice is drawn completely before the design starts and is
// not repainted until it is closed.
#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

namespace ondela {

constexpr const char* kBusyMessage = "With so many coefs optimization may take a long time...";
constexpr const char* kBusyCaption = "Please wait";

// The drawn area of the notice for a text of length characters in a font of the given average
// character width: width = length * charWidth (at least 16) + 24, height = width / 4 (at least
// 18).
QSize BusyTextArea(int length, int charWidth);
// Top-left corner of the notice's drawn area: centred on the main window's frame, kept inside
// its borders and never left of x = 10 or above y = 30.
QPoint BusyPopupPosition(const QRect& mainFrame, int borderWidth, int borderHeight, QSize area);

class BusyPopup : public QWidget {
  public:
    // Shows the notice over mainWindow and paints it before returning.
    explicit BusyPopup(QWidget* mainWindow);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSize m_area;
};

}  // namespace ondela
