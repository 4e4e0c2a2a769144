#include "ui/print/printer.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace ondela {

namespace {

constexpr const char* kAppTitle = "Ondela";
constexpr const char* kCaptureFailed = "System Error";
constexpr const char* kPrintFailed = "Printing error occured. Unable to find printer.";

constexpr int kLeft = 120;  // top-left corner of the picture on the page, device pixels
constexpr int kTop = 240;
constexpr double kLandscapeShare = 0.966;  // share of the page width the picture takes
constexpr double kPortraitShare = 0.95;

}  // namespace

QRect PicturePlacement(QSize window, double pageWidth, double pageHeight) {
    if (window.width() <= 0 || window.height() <= 0 || pageWidth <= 0.0 || pageHeight <= 0.0)
        return {};
    const double share = pageWidth > pageHeight ? kLandscapeShare : kPortraitShare;
    double scale = pageWidth / window.width() * share;
    // The offset is fixed in device pixels, so on a coarse printer the usual share of the width
    // would run off the paper's edge.
    const double roomX = (pageWidth - kLeft) / window.width();
    const double roomY = (pageHeight - kTop) / window.height();
    scale = std::min({scale, roomX, roomY});
    if (scale <= 0.0) return {};
    const int width = static_cast<int>(std::trunc(window.width() * scale));
    const int height = static_cast<int>(std::trunc(window.height() * scale));
    return QRect(kLeft, kTop, width, height);
}

Printer::Printer(UserDialogs& dialogs, PrinterSource& printers, WindowCapture* capture)
    : m_dialogs(dialogs), m_printers(printers), m_capture(capture) {}

Printer::~Printer() = default;

int Printer::PrintWindowImage(QWidget* window, const QString& title) {
    WindowCapture& capture = m_capture != nullptr ? *m_capture : m_screenCapture;
    const QImage picture = window != nullptr ? capture.Capture(window) : QImage();
    if (picture.isNull()) {
        m_dialogs.MessageBox(kCaptureFailed, kAppTitle, MessageButtons::Ok, MessageIcon::None);
        return 0;
    }

    PrintRequest request;
    request.documentName = title;
    request.landscape = true;
    request.fromPage = 1;
    request.toPage = 1;
    std::unique_ptr<QPrinter> printer = m_printers.ChoosePrinter(window, request);
    if (!printer) return 1;  // cancelled, or no printer to be had

    printer->setDocName(title);
    // The printable area in millimetres and the resolution give the page in device pixels.
    const double pageWidth = printer->widthMM() * printer->logicalDpiX() / 25.4;
    const double pageHeight = printer->heightMM() * printer->logicalDpiY() / 25.4;

    QPainter painter;
    if (!painter.begin(printer.get())) {
        m_dialogs.MessageBox(kPrintFailed, kAppTitle, MessageButtons::Ok, MessageIcon::None);
        return 0;
    }
    const QRect target = PicturePlacement(picture.size(), pageWidth, pageHeight);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setBrushOrigin(0, 0);
    if (!target.isEmpty()) painter.drawImage(target, picture);
    const bool finished = painter.end();
    // A document that could not be completed (a full disk, a vanished printer) is no success.
    return finished && printer->printerState() != QPrinter::Error ? 1 : 0;
}

}  // namespace ondela
