#include "ui/print/pdf_printer_source.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>
#include <utility>

namespace ondela {

PdfPrinterSource::PdfPrinterSource(QString path, int dotsPerInch, QPageSize pageSize)
    : m_path(std::move(path)), m_dotsPerInch(dotsPerInch), m_pageSize(std::move(pageSize)) {}

std::unique_ptr<QPrinter> PdfPrinterSource::ChoosePrinter(QWidget* /*parent*/,
                                                          const PrintRequest& request) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(m_path);
    printer->setResolution(m_dotsPerInch);
    printer->setCreator(QStringLiteral("Ondela"));
    printer->setDocName(request.documentName);
    printer->setPageLayout(
        QPageLayout(m_pageSize, request.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    if (request.fromPage > 0 && request.toPage >= request.fromPage) {
        printer->setPrintRange(QPrinter::PageRange);
        printer->setFromTo(request.fromPage, request.toPage);
    }
    return printer;
}

}  // namespace ondela
