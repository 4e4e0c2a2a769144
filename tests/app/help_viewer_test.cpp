#include "app/help/help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPointer>
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
    EXPECT_EQ(window->size(), QSize(900, 780));
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
