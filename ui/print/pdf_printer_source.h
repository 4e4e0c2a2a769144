// Printing into a PDF file without asking anyone: for printing to a file from the command line
// and for checking the printed page in tests.
#pragma once

#include <QPageSize>
#include <QString>

#include "ui/print/printer_source.h"

namespace ondela {

class PdfPrinterSource : public PrinterSource {
  public:
    // Every job replaces the file at path. The page has the given size and resolution (device
    // pixels per inch) and no margins: the whole sheet is the printable area.
    explicit PdfPrinterSource(QString path, int dotsPerInch = 600,
                              QPageSize pageSize = QPageSize(QPageSize::A4));

    // A PDF printer set up from the request (document name, orientation, page range).
    std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const PrintRequest& request) override;

  private:
    QString m_path;
    int m_dotsPerInch;
    QPageSize m_pageSize;
};

}  // namespace ondela
