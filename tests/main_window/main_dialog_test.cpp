// The main window as real widgets on the offscreen platform: its size and the plots' size, a
// Create from the start-up values, a format radio, a drag in the response plot and Quit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "engine/design_engine.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "settings/qt_settings_store.h"
#include "tests/main_window/fake_controls.h"
#include "tests/workspace/workspace_fakes.h"
#include "ui/main_window/busy_popup.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_dialog.h"
#include "ui/main_window/qt_user_dialogs.h"
#include "ui/plot/plot_text.h"
#include "ui/plot/response_plot.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

class MainDialogTest : public ::testing::Test {
  protected:
    MainDialogTest() {
        prefs.OpenKeys();
        ws.m_prefs = &prefs;
        ws.m_engine = &engine;
        ws.m_dialogs = &dialogs;
        dialog = std::make_unique<MainDialog>(ws, graph, dialogs, &shell);
        dialog->show();
        QApplication::processEvents();
    }
    ~MainDialogTest() override {
        dialog.reset();
        for (const auto& e : log) EXPECT_NE(e.rfind("Message", 0), 0u) << e;
    }

    QString Text(int id) { return static_cast<QLineEdit*>(dialog->Control(id))->text(); }
    void Press(int id) { QTest::mouseClick(dialog->Control(id), Qt::LeftButton); }
    // The number of pure red curve pixels in the response plot.
    int RedPixels() {
        dialog->PaintPlotsIfStale();
        const QImage img = graph.ResponseImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == qRgb(255, 0, 0)) ++n;
        return n;
    }

    MemorySettingsStore store;
    Preferences prefs{&store};
    DesignEngine engine;
    FilterWorkspace ws;
    ResponsePlot graph{ws};
    testing::EventLog log;
    testing::RecordingDialogs dialogs{log};
    testing::FakeShell shell;
    std::unique_ptr<MainDialog> dialog;
};

TEST_F(MainDialogTest, WindowAndPlotSizes) {
    EXPECT_EQ(dialog->width(), 1082);
    EXPECT_EQ(dialog->height(), 717);
    const QRect resp = dialog->Control(ctl::kResponsePlot)->geometry();
    const QRect coef = dialog->Control(ctl::kCoefPlot)->geometry();
    EXPECT_EQ(resp.size(), QSize(kPlotWidth, kResponsePlotHeight));
    EXPECT_EQ(coef.size(), QSize(kPlotWidth, kCoefPlotHeight));
    EXPECT_EQ(resp.left(), 15);
    // The f. max spin and the Quit button moved to the right edge of the widened group box.
    const QRect group = dialog->Control(ctl::kResponseGroup)->geometry();
    EXPECT_EQ(dialog->Control(ctl::kFreqMaxSpin)->geometry().right(), group.right());
    EXPECT_EQ(dialog->Control(ctl::kHelpGroup)->geometry().right(), group.right());
    for (int id : {ctl::kExport, ctl::kQuit}) {
        EXPECT_EQ(dialog->Control(id)->x() - dialog->Control(ctl::kHelpGroup)->x(),
                  dialog->Control(ctl::kHelp)->x() - dialog->Control(ctl::kHelpGroup)->x())
            << id;
    }
    // Export... stands between Help and Quit, inside the group box.
    const QRect help = dialog->Control(ctl::kHelp)->geometry();
    const QRect exportButton = dialog->Control(ctl::kExport)->geometry();
    const QRect quit = dialog->Control(ctl::kQuit)->geometry();
    EXPECT_GT(exportButton.top(), help.bottom());
    EXPECT_LT(exportButton.bottom(), quit.top());
    EXPECT_TRUE(dialog->Control(ctl::kHelpGroup)->geometry().contains(exportButton));
    EXPECT_TRUE(static_cast<QPushButton*>(dialog->Control(ctl::kCreate))->isDefault());
    EXPECT_EQ(dialog->windowTitle(), "Ondela 1.21");
}

// The Export... button opens the Export dialog through the shell, with or without a filter
// (the dialog itself says when there is nothing to export).
TEST_F(MainDialogTest, ExportButtonOpensTheExportDialog) {
    auto* button = static_cast<QPushButton*>(dialog->Control(ctl::kExport));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Export...");
    EXPECT_TRUE(button->isEnabled());
    Press(ctl::kExport);
    EXPECT_EQ(shell.exportShown, 1);
    Press(ctl::kCreate);
    Press(ctl::kExport);
    EXPECT_EQ(shell.exportShown, 2);
}

TEST_F(MainDialogTest, CreateFillsTheAchievedValuesAndDrawsTheCurve) {
    EXPECT_EQ(RedPixels(), 0);
    EXPECT_EQ(Text(ctl::kAchievedCoefs), "");
    Press(ctl::kCreate);
    EXPECT_NE(Text(ctl::kAchievedCoefs), "");
    EXPECT_TRUE(Text(ctl::kAchievedAttenuation).endsWith(" dB"));
    EXPECT_GT(RedPixels(), 500);

    // Another format re-measures: 16-bit coefficients lose attenuation at 100 dB.
    static_cast<QLineEdit*>(dialog->Control(ctl::kAttenuation))->setText("100");
    Press(ctl::kCreate);
    const QString asFloat = Text(ctl::kAchievedAttenuation);
    Press(ctl::kInteger16);
    EXPECT_EQ(ws.m_current.format, INT16);
    EXPECT_NE(Text(ctl::kAchievedAttenuation), asFloat);
    EXPECT_EQ(std::get<uint32_t>(store.Values().at("COEF_FORMAT")), 3u);
    ASSERT_EQ(log.back(), "Message Warning: Original specifications not met");
    log.clear();
}

TEST_F(MainDialogTest, DragInTheResponsePlotMovesTheCursorField) {
    Press(ctl::kCreate);
    dialog->PaintPlotsIfStale();
    const QRect resp = dialog->Control(ctl::kResponsePlot)->geometry();
    const QPoint at = resp.topLeft() + QPoint(540, 100);
    QTest::mousePress(dialog.get(), Qt::LeftButton, Qt::NoModifier, at);
    const double expected = (540 - 40) * graph.m_hzPerPixel;
    EXPECT_DOUBLE_EQ(ws.m_view.cursorHz, expected);
    EXPECT_EQ(dialog->Logic().Pointer(), PointerShape::DualArrow);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(100, 0)),
                     dialog->mapToGlobal(QPointF(at + QPoint(100, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &move);
    EXPECT_DOUBLE_EQ(ws.m_view.cursorHz, (640 - 40) * graph.m_hzPerPixel);
    EXPECT_EQ(Text(ctl::kCursorField).toStdString(), FormatFreqField(ws.m_view.cursorHz));
    QTest::mouseRelease(dialog.get(), Qt::LeftButton, Qt::NoModifier, at + QPoint(100, 0));
    EXPECT_EQ(dialog->Logic().Pointer(), PointerShape::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainDialogTest, EnterInTheCursorFieldAndEscape) {
    auto* cursor = static_cast<QLineEdit*>(dialog->Control(ctl::kCursorField));
    cursor->setFocus();
    cursor->setText("5000");
    QTest::keyClick(cursor, Qt::Key_Return);
    EXPECT_EQ(ws.m_view.cursorHz, 5000.0);
    EXPECT_EQ(Text(ctl::kAchievedCoefs), "");  // a moved cursor does not design
    QTest::keyClick(cursor, Qt::Key_Return);   // unchanged: Create
    EXPECT_NE(Text(ctl::kAchievedCoefs), "");

    static_cast<QLineEdit*>(dialog->Control(ctl::kSamplingFreq))->setText("44100");
    QTest::keyClick(dialog.get(), Qt::Key_Escape);  // Quit stores what the fields hold
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(std::get<std::string>(store.Values().at("FS")), "44100.000000");
}

// Quit writes the user's settings file, and the next start shows what was typed, the scale and
// the format.
// A window over the user's settings file, as the application builds it.
struct WindowOverUserSettings {
    WindowOverUserSettings(testing::RecordingDialogs& dialogs, testing::FakeShell& shell) {
        EXPECT_TRUE(prefs.OpenKeys());
        ws.m_prefs = &prefs;
        ws.m_engine = &engine;
        ws.m_dialogs = &dialogs;
        dialog = std::make_unique<MainDialog>(ws, graph, dialogs, &shell);
    }
    QLineEdit* Field(int id) { return static_cast<QLineEdit*>(dialog->Control(id)); }
    void Click(int id) { QTest::mouseClick(dialog->Control(id), Qt::LeftButton); }

    QtSettingsStore store;
    Preferences prefs{&store};
    DesignEngine engine;
    FilterWorkspace ws;
    ResponsePlot graph{ws};
    std::unique_ptr<MainDialog> dialog;
};

// Quit writes the user's settings file, and the next start shows what was typed, the type, the
// scale and the format.
TEST(MainDialogSettings, QuitWritesTheSettingsFileAndTheNextStartShowsThem) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    testing::EventLog log;
    testing::RecordingDialogs dialogs{log};
    testing::FakeShell shell;
    {
        WindowOverUserSettings first(dialogs, shell);
        first.dialog->show();
        first.Field(ctl::kSamplingFreq)->setText("44.1 kHz");
        first.Click(ctl::kHighPass);
        first.Click(ctl::kScaleLog);
        first.Click(ctl::kInteger32);
        first.Click(ctl::kQuit);
        EXPECT_FALSE(first.dialog->isVisible());
        QFile ini(QString::fromStdString(first.store.FileName()));
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        EXPECT_TRUE(text.contains("FS=44100.000000")) << text.toStdString();
        EXPECT_TRUE(text.contains("TYPE=dword:00000003")) << text.toStdString();
    }
    WindowOverUserSettings next(dialogs, shell);
    EXPECT_EQ(next.Field(ctl::kSamplingFreq)->text(), "44100 Hz");
    EXPECT_TRUE(next.dialog->IsChecked(ctl::kHighPass));
    EXPECT_TRUE(next.dialog->IsChecked(ctl::kScaleLog));
    EXPECT_TRUE(next.dialog->IsChecked(ctl::kInteger32));
    for (const auto& e : log) EXPECT_NE(e.rfind("Message", 0), 0u) << e;
}

TEST(BusyPopupPlacement, CentredAndKeptOnTheScreen) {
    const QSize area = BusyTextArea(55, 8);
    EXPECT_EQ(area, QSize(464, 116));
    EXPECT_EQ(BusyPopupPosition(QRect(100, 100, 1088, 750), 1, 1, area),
              QPoint(100 + (1088 - 464) / 2, 100 + (750 - 116) / 2));
    // A main window near the top-left corner: never left of 10 or above 30.
    EXPECT_EQ(BusyPopupPosition(QRect(-400, -300, 500, 300), 1, 1, area), QPoint(10, 30));
}

// A search's progress shows on the pop-up with a Cancel button; a press of it is heard at the next
// report, and a pop-up that was closed cancels nothing.
TEST(BusyPopupProgress, CancelIsHeardAtTheNextReport) {
    QWidget main;
    main.resize(600, 400);
    main.show();
    QtUserDialogs dialogs;
    dialogs.SetParent(&main);
    ASSERT_TRUE(dialogs.OpenBusyPopup());
    auto* popup = main.findChild<BusyPopup*>();
    ASSERT_NE(popup, nullptr);
    auto* cancel = popup->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(cancel->isVisible());  // a plain long design cannot be cancelled
    EXPECT_TRUE(dialogs.BusyProgress(
        "Meeting the targets in Integer 16: 12 designs tried; the closest has 1023 coefficients."));
    EXPECT_TRUE(cancel->isVisible());
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_FALSE(dialogs.BusyProgress("Meeting the targets in Integer 16: 4 designs tried"));
    dialogs.CloseBusyPopup();
    EXPECT_TRUE(dialogs.BusyProgress("no pop-up"));
}

}  // namespace
}  // namespace ondela
