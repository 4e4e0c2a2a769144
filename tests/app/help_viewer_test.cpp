#include "app/help/help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace ondela {
namespace {

const QString kHelpFile = QStringLiteral(ONDELA_HELP_FILE);

class HelpWindow : public ::testing::Test {
  protected:
    void TearDown() override { HelpViewer::CloseAllHelp(); }

    static ChmBrowser* BrowserOf(QWidget* window) {
        auto* viewer = dynamic_cast<HelpViewer*>(window);
        return viewer != nullptr ? viewer->Browser() : nullptr;
    }
};

TEST_F(HelpWindow, ShowsTheStartPageOfTheUserGuide) {
    QWidget* window = HelpViewer::ShowHelp(nullptr, kHelpFile);
    ASSERT_NE(window, nullptr) << kHelpFile.toStdString();
    EXPECT_TRUE(window->isVisible());
    // 900 x 780 pixels, less where the screen has not that much room.
    const QRect available = window->screen()->availableGeometry();
    EXPECT_EQ(window->size(), QSize(900, 780).boundedTo(available.size()));
    EXPECT_EQ(window->windowTitle(), "Ondela Help");

    ChmBrowser* browser = BrowserOf(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source(), QUrl("chm:/index.html"));
    EXPECT_EQ(browser->documentTitle(), "Ondela Help");
    EXPECT_TRUE(browser->toPlainText().contains("Ondela designs linear-phase FIR"));
    // The page's style sheet comes out of the archive as well.
    EXPECT_FALSE(browser->loadResource(QTextDocument::StyleSheetResource, QUrl("chm:/style.css"))
                     .toByteArray()
                     .isEmpty());
    EXPECT_FALSE(
        browser->loadResource(QTextDocument::HtmlResource, QUrl("chm:/missing.html")).isValid());
}

// The help window lies wholly within the free area of its screen, frame included, wherever the
// window it belongs to stands.
TEST_F(HelpWindow, OpensWithinTheScreen) {
    QWidget designer;
    designer.resize(600, 400);
    for (const QPoint at : {QPoint(0, 0), QPoint(300, 235), QPoint(700, 500)}) {
        SCOPED_TRACE(at.y());
        designer.move(at);
        designer.show();
        QWidget* window = HelpViewer::ShowHelp(&designer, kHelpFile);
        ASSERT_NE(window, nullptr);
        const QRect available = window->screen()->availableGeometry();
        EXPECT_TRUE(available.contains(window->frameGeometry()))
            << window->frameGeometry().y() << " + " << window->frameGeometry().height()
            << " on a screen of " << available.height();
        if (available.width() >= 1000 && available.height() >= 900) {
            EXPECT_EQ(window->size(), QSize(900, 780));
        }
    }
}

TEST(PlaceWindowWithin, KeepsTheWholeFrameInTheFreeArea) {
    const QMargins frame(4, 30, 4, 4);
    const QRect desktop(0, 0, 1600, 1000);
    const QRect belowPanel(1920, 32, 1280, 990);  // a second screen, a panel across its top
    const QRect small(0, 0, 800, 600);
    const struct {
        const char* what;
        QRect available;
        QRect over;
        QRect placed;
    } cases[] = {
        {"over the designer", desktop, QRect(350, 100, 900, 700), QRect(350, 60, 900, 780)},
        {"a designer low on the screen", desktop, QRect(350, 300, 1090, 740),
         QRect(445, 216, 900, 780)},
        {"no designer: in the middle", desktop, QRect(), QRect(350, 110, 900, 780)},
        {"a designer left of the screen", belowPanel, QRect(1500, 400, 300, 200),
         QRect(1924, 110, 900, 780)},
        {"a screen smaller than the window", small, QRect(100, 100, 500, 300),
         QRect(4, 30, 792, 566)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QRect placed = PlaceWindowWithin(QSize(900, 780), frame, c.available, c.over);
        EXPECT_EQ(placed, c.placed);
        EXPECT_TRUE(c.available.contains(placed.marginsAdded(frame)));
    }
}

TEST_F(HelpWindow, FollowsALinkToAnotherPage) {
    ChmBrowser* browser = BrowserOf(HelpViewer::ShowHelp(nullptr, kHelpFile));
    ASSERT_NE(browser, nullptr);
    browser->setFocus();
    // Tab selects the first link of the page, Enter follows it, as a click would.
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Return);

    EXPECT_EQ(browser->source(), QUrl("chm:/main_window.html"));
    EXPECT_EQ(browser->documentTitle(), "The main window");
    EXPECT_TRUE(browser->toPlainText().contains("Max nb of Coefs"));
    EXPECT_TRUE(browser->isBackwardAvailable());
}

TEST_F(HelpWindow, ANewHelpWindowReplacesTheOpenOne) {
    QPointer<QWidget> first = HelpViewer::ShowHelp(nullptr, kHelpFile);
    ASSERT_FALSE(first.isNull());
    QPointer<QWidget> second = HelpViewer::ShowHelp(nullptr, kHelpFile);
    EXPECT_TRUE(first.isNull());
    ASSERT_FALSE(second.isNull());
    HelpViewer::CloseAllHelp();
    EXPECT_TRUE(second.isNull());
}

TEST_F(HelpWindow, FileThatIsNoHelpFileShowsNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = dir.filePath("Ondela.chm");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a compiled help file\n");
    file.close();

    QPointer<QWidget> open = HelpViewer::ShowHelp(nullptr, kHelpFile);
    for (const QString& path : {dir.filePath("missing.chm"), text, QString()}) {
        EXPECT_EQ(HelpViewer::ShowHelp(nullptr, path), nullptr) << path.toStdString();
    }
    EXPECT_TRUE(open.isNull()) << "the earlier help window is closed all the same";
}

TEST(ChmSystemFile, DefaultTopicAndTitleRecords) {
    // version, then records of code, length, bytes (little-endian)
    auto record = [](int code, const QByteArray& data) {
        QByteArray bytes;
        bytes.append(char(code & 0xFF)).append(char(code >> 8));
        bytes.append(char(data.size() & 0xFF)).append(char(data.size() >> 8));
        return bytes + data;
    };
    const QByteArray version("\x03\x00\x00\x00", 4);
    struct Case {
        const char* what;
        QByteArray system;
        std::string topic, title;
    };
    const Case cases[] = {
        {"both",
         version + record(9, "x") + record(2, QByteArray("start.htm\0", 10)) +
             record(3, QByteArray("Guide\0", 6)),
         "start.htm", "Guide"},
        {"no default topic", version + record(3, "Guide"), "", "Guide"},
        {"a truncated record ends the reading",
         version + record(3, "Guide") + record(2, "start.htm").left(8), "", "Guide"},
        {"empty", QByteArray(), "", ""},
    };
    for (const Case& c : cases) {
        const ChmSystemInfo info = ParseChmSystem(c.system);
        EXPECT_EQ(info.defaultTopic, c.topic) << c.what;
        EXPECT_EQ(info.title, c.title) << c.what;
    }
}

}  // namespace
}  // namespace ondela
