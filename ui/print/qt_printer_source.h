// The platform's print dialog as the place a print job goes.
#pragma once

#include "ui/print/printer_source.h"

namespace ondela {

// Opens the print dialog, modally, preset from the request: the document name, the orientation
// and, when the request names pages, that page range as the only range to choose from. The
// printer the user confirmed, or nullptr when the dialog was cancelled.
class QtPrinterSource : public PrinterSource {
  public:
    std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const PrintRequest& request) override;
};

}  // namespace ondela
