#include "ui/print/qt_printer_source.h"

#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

namespace ondela {

std::unique_ptr<QPrinter> QtPrinterSource::ChoosePrinter(QWidget* parent,
                                                         const PrintRequest& request) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(request.documentName);
    printer->setPageOrientation(request.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);

    QPrintDialog dialog(printer.get(), parent);
    if (request.fromPage > 0 && request.toPage >= request.fromPage) {
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setMinMax(request.fromPage, request.toPage);
        dialog.setFromTo(request.fromPage, request.toPage);
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);
    }
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return printer;
}

}  // namespace ondela
