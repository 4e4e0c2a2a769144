#include "ui/print/printer.h"
#include "tests/workspace/recording_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/print/pdf_printer_source.h"
#include "ui/print/qt_printer_source.h"
#include "workspace/save_name.h"

namespace ondela {
namespace {

using testing::RecordingDialogs;

// The print dialog as a test sees it: remembers what it was preset to, then either confirms a
// PDF printer or is cancelled.
class ScriptedSource : public PrinterSource {
  public:
    ScriptedSource(const QString& pdfPath, bool confirm, int dotsPerInch = 600)
        : m_pdf(pdfPath, dotsPerInch), m_confirm(confirm) {}

    std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const PrintRequest& request) override {
        parents.push_back(parent);
        requests.push_back(request);
        return m_confirm ? m_pdf.ChoosePrinter(parent, request) : nullptr;
    }

    std::vector<QWidget*> parents;
    std::vector<PrintRequest> requests;

  private:
    PdfPrinterSource m_pdf;
    bool m_confirm;
};

class FixedCapture : public WindowCapture {
  public:
    explicit FixedCapture(QImage picture) : m_picture(std::move(picture)) {}
    QImage Capture(QWidget*) override { return m_picture; }

  private:
    QImage m_picture;
};

// A stand-in main window: red on the left half, blue on the right.
class TwoColourWindow : public QWidget {
  public:
    TwoColourWindow() {
        setWindowTitle("Stand-in");
        resize(545, 370);  // the main window's proportions
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(0, 0, width() / 2, height(), QColor(220, 0, 0));
        p.fillRect(width() / 2, 0, width() - width() / 2, height(), QColor(0, 0, 220));
    }
};

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The value of one "Name: value" line of pdfinfo's report.
QString PdfInfoField(const QString& report, const QString& name) {
    for (const QString& line : report.split('\n')) {
        if (line.startsWith(name + ':')) return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

// One area of page 1 rasterised at the given resolution; area is in raster pixels.
QImage Rasterise(const QString& pdf, int dotsPerInch, const QRect& area, const QString& prefix) {
    RunTool(ONDELA_PDFTOPPM, {"-r", QString::number(dotsPerInch), "-f", "1", "-l", "1", "-x",
                              QString::number(area.x()), "-y", QString::number(area.y()), "-W",
                              QString::number(area.width()), "-H", QString::number(area.height()),
                              "-singlefile", pdf, prefix});
    return QImage(prefix + ".ppm");
}

bool Near(QColor a, QColor b) {
    constexpr int kTolerance = 48;
    return std::abs(a.red() - b.red()) <= kTolerance &&
           std::abs(a.green() - b.green()) <= kTolerance &&
           std::abs(a.blue() - b.blue()) <= kTolerance;
}

constexpr double kMillimetresPerInch = 25.4;

TEST(PicturePlacement, ScalesToTheShareOfThePageWidthFromTheFixedCorner) {
    struct Case {
        const char* what;
        QSize window;
        double pageWidth, pageHeight;
        QRect expected;
    };
    const double a4Long600 = 297 * 600 / kMillimetresPerInch;
    const double a4Short600 = 210 * 600 / kMillimetresPerInch;
    const double a4Long300 = 297 * 300 / kMillimetresPerInch;
    const double a4Short300 = 210 * 300 / kMillimetresPerInch;
    const Case cases[] = {
        {"landscape A4 at 600 dpi: 96.6 % of the width",
         {1090, 740},
         a4Long600,
         a4Short600,
         QRect(120, 240, 6777, 4601)},
        {"portrait A4 at 600 dpi: 95 %",
         {1090, 740},
         a4Short600,
         a4Long600,
         QRect(120, 240, 4712, 3199)},
        {"a square page counts as portrait", {1000, 500}, 4000, 4000, QRect(120, 240, 3800, 1900)},
        {"landscape A4 at 300 dpi: shrunk to stay on the paper",
         {1090, 740},
         a4Long300,
         a4Short300,
         QRect(120, 240, 3299, 2240)},
        {"no picture", {0, 740}, a4Long600, a4Short600, QRect()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PicturePlacement(c.window, c.pageWidth, c.pageHeight), c.expected) << c.what;
    }
}

class PrintJob : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    RecordingDialogs dialogs;
};

TEST_F(PrintJob, PrintsTheWindowPictureOnOneLandscapePage) {
    TwoColourWindow window;
    window.show();
    QApplication::processEvents();
    const QImage seen = ScreenWindowCapture().Capture(&window);
    ASSERT_FALSE(seen.isNull());

    const QString pdf = Path("window.pdf");
    constexpr int kDpi = 600;
    ScriptedSource source(pdf, true, kDpi);
    Printer printer(dialogs, source);
    const QString title = "FIR_127_FLT32 LowPass fs=48000 fc=1000 Att=60dB Rip=0.5dB";

    EXPECT_EQ(printer.PrintWindowImage(&window, title), 1);
    EXPECT_TRUE(dialogs.messages.empty());

    ASSERT_EQ(source.requests.size(), 1u);
    const PrintRequest& asked = source.requests[0];
    EXPECT_EQ(asked.documentName, title);
    EXPECT_TRUE(asked.landscape);
    EXPECT_EQ(asked.fromPage, 1);
    EXPECT_EQ(asked.toPage, 1);
    EXPECT_EQ(source.parents[0], &window);

    const QString info = RunTool(ONDELA_PDFINFO, {pdf});
    EXPECT_EQ(PdfInfoField(info, "Pages"), "1");
    EXPECT_EQ(PdfInfoField(info, "Title"), title);
    const QStringList size = PdfInfoField(info, "Page size").split(' ');
    ASSERT_GE(size.size(), 3);
    EXPECT_GT(size[0].toDouble(), size[2].toDouble()) << "landscape page: " << info.toStdString();

    // The page's pixels are the printer's device pixels: A4 landscape without margins.
    const QRect target = PicturePlacement(seen.size(), 297 * kDpi / kMillimetresPerInch,
                                          210 * kDpi / kMillimetresPerInch);
    ASSERT_EQ(target.topLeft(), QPoint(120, 240));
    // What the window shows at a point given as a share of its size.
    auto seenAt = [&](double fx, double fy) {
        return seen.pixelColor(int(fx * seen.width()), int(fy * seen.height()));
    };
    const QColor white(255, 255, 255);

    const QImage topLeft = Rasterise(pdf, kDpi, QRect(110, 230, 20, 20), Path("top-left"));
    ASSERT_EQ(topLeft.size(), QSize(20, 20));
    EXPECT_TRUE(Near(topLeft.pixelColor(7, 7), white)) << "above and left of the picture";
    EXPECT_TRUE(Near(topLeft.pixelColor(13, 13), seenAt(0.0, 0.0))) << "the picture's corner";

    const QPoint end = target.topLeft() + QPoint(target.width(), target.height());
    const QImage bottomRight =
        Rasterise(pdf, kDpi, QRect(end - QPoint(10, 10), QSize(20, 20)), Path("bottom-right"));
    ASSERT_EQ(bottomRight.size(), QSize(20, 20));
    EXPECT_TRUE(Near(bottomRight.pixelColor(6, 6), seenAt(0.999, 0.999))) << "inside the corner";
    EXPECT_TRUE(Near(bottomRight.pixelColor(13, 13), white)) << "past the picture's end";

    // The middle of the window falls on the middle of the printed picture: not mirrored, scaled
    // alike in both directions.
    const QPoint middle = target.center();
    // (The rasteriser smooths the enlarged picture, so the samples stay a few window pixels
    // away from the middle.)
    const int offset = target.width() / 20;
    const QImage centre = Rasterise(
        pdf, kDpi, QRect(middle - QPoint(offset, 1), QSize(2 * offset + 1, 3)), Path("middle"));
    ASSERT_EQ(centre.size(), QSize(2 * offset + 1, 3));
    const QColor left = centre.pixelColor(0, 1);
    const QColor right = centre.pixelColor(2 * offset, 1);
    EXPECT_TRUE(Near(left, seenAt(0.45, 0.5))) << left.name().toStdString();
    EXPECT_TRUE(Near(right, seenAt(0.55, 0.5))) << right.name().toStdString();
    EXPECT_FALSE(Near(left, right));
}

TEST_F(PrintJob, CancelledDialogPrintsNothing) {
    QWidget window;
    window.resize(200, 100);
    const QString pdf = Path("never.pdf");
    ScriptedSource source(pdf, false);
    Printer printer(dialogs, source, nullptr);

    EXPECT_EQ(printer.PrintWindowImage(&window, "FIR Filter"), 1);
    EXPECT_EQ(source.requests.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintJob, FailuresEndTheJobWithTheirMessage) {
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QWidget window;
    struct Case {
        const char* what;
        QImage captured;
        QString pdf;
        std::string message;
        size_t dialogsShown;
    };
    const Case cases[] = {
        {"the window's picture cannot be taken", QImage(), Path("a.pdf"), "System Error", 0},
        {"the document cannot be started", picture, Path("missing/folder/b.pdf"),
         "Printing error occured. Unable to find printer.", 1},
    };
    for (const Case& c : cases) {
        RecordingDialogs shown;
        FixedCapture capture(c.captured);
        ScriptedSource source(c.pdf, true);
        Printer printer(shown, source, &capture);

        EXPECT_EQ(printer.PrintWindowImage(&window, "FIR Filter"), 0) << c.what;
        EXPECT_EQ(source.requests.size(), c.dialogsShown) << c.what;
        ASSERT_EQ(shown.messages.size(), 1u) << c.what;
        EXPECT_EQ(shown.messages[0].text, c.message);
        EXPECT_EQ(shown.messages[0].caption, "Ondela");
        EXPECT_FALSE(QFile::exists(c.pdf)) << c.what;
    }
}

TEST(QtPrinterSource, DialogOpensOnLandscapeAndPageOneOnly) {
    struct Seen {
        bool found = false;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        int minPage = 0, maxPage = 0, fromPage = 0, toPage = 0;
        QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::AllPages;
        QString documentName;
    } seen;

    // Looks at the dialog once it is up, then cancels it.
    QTimer poll;
    int attempts = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && ++attempts < 500) return;
        poll.stop();
        if (dialog == nullptr) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            return;
        }
        seen.found = true;
        seen.orientation = dialog->printer()->pageLayout().orientation();
        seen.minPage = dialog->minPage();
        seen.maxPage = dialog->maxPage();
        seen.fromPage = dialog->fromPage();
        seen.toPage = dialog->toPage();
        seen.range = dialog->printRange();
        seen.documentName = dialog->printer()->docName();
        dialog->reject();
    });
    poll.start(10);

    PrintRequest request;
    request.documentName = "FIR Filter";
    request.landscape = true;
    request.fromPage = 1;
    request.toPage = 1;
    QtPrinterSource source;
    EXPECT_EQ(source.ChoosePrinter(nullptr, request), nullptr);

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.orientation, QPageLayout::Landscape);
    EXPECT_EQ(seen.range, QAbstractPrintDialog::PageRange);
    EXPECT_EQ(seen.minPage, 1);
    EXPECT_EQ(seen.maxPage, 1);
    EXPECT_EQ(seen.fromPage, 1);
    EXPECT_EQ(seen.toPage, 1);
    EXPECT_EQ(seen.documentName, "FIR Filter");
}

// The file the print dialog offers when the user prints to a PDF file: the document's whole name
// with ".pdf" (a filter's title keeps the digits after its dots), or beside the document's file.
TEST(QtPrinterSource, PrintingToAFileProposesTheWholeDocumentName) {
    // What the dialog's file field shows, read once the dialog is up; then it is cancelled.
    const auto offered = [](const QString& documentName) {
        QString shown = QStringLiteral("(no dialog)");
        QTimer poll;
        int attempts = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr && ++attempts < 500) return;
            poll.stop();
            if (dialog == nullptr) return;
            if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                shown = file->text();
            dialog->reject();
        });
        poll.start(10);
        PrintRequest request;
        request.documentName = documentName;
        QtPrinterSource source;
        EXPECT_EQ(source.ChoosePrinter(nullptr, request), nullptr);
        return shown;
    };
    const struct {
        const char* documentName;
        const char* fileName;
    } cases[] = {
        {"FIR_127_INT16 LowPass fs=48000 fc=10000 Att=60dB Rip=1.81dB",
         "FIR_127_INT16 LowPass fs=48000 fc=10000 Att=60dB Rip=1.81dB.pdf"},
        {"FIR_63_FLT64 HalfBand fs=44100 Att=90.5dB",
         "FIR_63_FLT64 HalfBand fs=44100 Att=90.5dB.pdf"},
        {"FIR Filter", "FIR Filter.pdf"},
        {"report.pdf", "report.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.documentName);
        const QString shown = offered(QString::fromUtf8(c.documentName));
        EXPECT_EQ(QFileInfo(shown).fileName(), QString::fromUtf8(c.fileName))
            << shown.toStdString();
        EXPECT_TRUE(QFileInfo(shown).isAbsolute()) << shown.toStdString();
    }
    // The editor's text saved as a file prints beside it, under the file's name.
    EXPECT_EQ(offered(QStringLiteral("/data/filters/lp 0.4dB.txt")),
              QStringLiteral("/data/filters/lp 0.4dB.pdf"));
}

TEST(PrintFileName, TheWholeTitleOrTheFilesNameWithoutItsExtension) {
    const struct {
        const char* documentName;
        const char* fileName;
    } cases[] = {
        {"FIR_31_FLT64 LowPass fs=48000 fc=8000 Att=60dB Rip=0.4dB",
         "FIR_31_FLT64 LowPass fs=48000 fc=8000 Att=60dB Rip=0.4dB.pdf"},
        {"Rip=1.81dB", "Rip=1.81dB.pdf"},
        {"lp.PDF", "lp.PDF"},
        {"", ""},
        {"/f.d/lp.txt", "/f.d/lp.pdf"},
        {"/f.d/lp", "/f.d/lp.pdf"},
        {"/f/.hidden", "/f/.hidden.pdf"},
        {"C:\\f\\lp.txt", "C:\\f\\lp.pdf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintFileName(c.documentName), c.fileName) << c.documentName;
    }
}

}  // namespace
}  // namespace ondela
