// Taking the picture of a top-level window, frame and caption included, as the user sees it on
// the screen.
#pragma once

#include <QImage>

class QWidget;

namespace ondela {

class WindowCapture {
  public:
    virtual ~WindowCapture() = default;
    // The picture of the window; a null image when it cannot be taken.
    virtual QImage Capture(QWidget* window) = 0;
};

// Copies the window's area from the screen, so that whatever covers the window at that moment is
// in the picture too. When the screen cannot be read (a platform without screen grabs, such as
// the offscreen one or some compositors), the window draws itself into the picture instead,
// without its frame.
class ScreenWindowCapture : public WindowCapture {
  public:
    QImage Capture(QWidget* window) override;
};

}  // namespace ondela
