#include "ui/print/qt_printer_source.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

#include "workspace/save_name.h"

namespace ondela {

namespace {

// The dialog's own proposal for printing to a file takes whatever follows the last dot of the
// document's name for an extension ("… Rip=1.81dB" becomes "… Rip=1.pdf"), and on some
// platforms proposes no name at all. The name proposed here is the document's whole name with
// ".pdf", in the folder the dialog chose; a document that is a file keeps its own folder.
void ProposePdfFile(QPrintDialog& dialog, const QString& documentName) {
    auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (file == nullptr || documentName.isEmpty()) return;
    const QString name = QString::fromStdString(PrintFileName(documentName.toStdString()));
    if (QFileInfo(name).isAbsolute()) {
        file->setText(name);
        return;
    }
    const QString offered = file->text();
    QString folder = offered.endsWith(QLatin1Char('/')) ? offered : QFileInfo(offered).path();
    if (offered.isEmpty()) folder = QDir::homePath();
    file->setText(QDir(folder).filePath(name));
}

}  // namespace

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
    ProposePdfFile(dialog, request.documentName);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return printer;
}

}  // namespace ondela
