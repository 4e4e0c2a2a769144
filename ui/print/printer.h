// Printing a picture of the main window: the window as the user sees it, frame and caption
// included, scaled to the width of the paper and drawn on a single page.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include "ui/print/printer_source.h"
#include "ui/print/window_capture.h"
#include "workspace/user_dialogs.h"

class QWidget;

namespace ondela {

// Where the window's picture goes on the printed page, in the printer's device pixels. The page
// is pageWidth x pageHeight device pixels; window is the picture's size in screen pixels. The
// picture starts at (120, 240) and is scaled to 96.6 % of the page width on a landscape page
// (wider than high) or 95 % on a portrait page, keeping its aspect ratio. On a low-resolution
// page, where that fixed offset leaves less room, the picture is made just small enough to stay
// on the paper.
QRect PicturePlacement(QSize window, double pageWidth, double pageHeight);

class Printer {
  public:
    // dialogs shows the messages; printers asks the user for a printer; capture takes the
    // window's picture (the screen capture when null). All must outlive the printer object.
    Printer(UserDialogs& dialogs, PrinterSource& printers, WindowCapture* capture = nullptr);
    virtual ~Printer();

    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Prints the picture of window as a one-page document named title. The print dialog opens
    // preset to landscape and to page 1 only. Returns 1 when the page was printed or the user
    // cancelled the dialog, 0 when a failure ended the job (after a message).
    int PrintWindowImage(QWidget* window, const QString& title);

  private:
    UserDialogs& m_dialogs;
    PrinterSource& m_printers;
    WindowCapture* m_capture;
    ScreenWindowCapture m_screenCapture;
};

}  // namespace ondela
