// Where a print job goes. The application asks the user through the platform's print dialog;
// tests print into a PDF file without asking anyone. Both the picture of the main window and the
// editor's text are printed through this seam.
#pragma once

#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace ondela {

// What the print dialog is preset to before the user sees it.
struct PrintRequest {
    QString documentName;      // the job's title in the print queue
    bool landscape = false;    // orientation preset
    int fromPage = 0;          // page range preset; 0 and 0 for "all pages"
    int toPage = 0;
};

class PrinterSource {
  public:
    virtual ~PrinterSource() = default;
    // A printer ready to paint on, set up from the request and by the user; nullptr when the
    // user cancelled or no printer can be had.
    virtual std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent,
                                                    const PrintRequest& request) = 0;
};

}  // namespace ondela
