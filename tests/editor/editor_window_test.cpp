// The editor window driven as a user drives it: its commands, keys, drops and the operations the
// designer calls, with the notices it posts to the application read back.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/workspace/recording_dialogs.h"
#include "ui/editor/editor_notify.h"
#include "ui/editor/editor_window.h"
#include "ui/editor/editor_window_port.h"
#include "ui/print/printer_source.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace ondela {
namespace {

constexpr const char* kKeyPath = "Software\\MQ\\Ondela\\Preferences";

struct Notice {
    int code;
    QString path;
    bool operator==(const Notice&) const = default;
};

void PrintTo(const Notice& notice, std::ostream* os) {
    *os << "{" << notice.code << ", \"" << notice.path.toStdString() << "\"}";
}

// The application object as far as the editor is concerned.
class NoticeRecorder : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() != kEditorNotifyEventType) return QObject::event(event);
        const auto* notice = static_cast<EditorNotifyEvent*>(event);
        notices.push_back({notice->code, notice->path});
        return true;
    }
    std::vector<Notice> notices;
};

using testing::RecordingDialogs;

// The editor saves and prints; it never chooses a file to open.
RecordingDialogs EditorDialogs() {
    RecordingDialogs dialogs;
    dialogs.openChooserUnexpected = true;
    return dialogs;
}

// A print dialog that picks a PDF file, or is cancelled when no file is set.
class PdfPrinters : public PrinterSource {
  public:
    std::unique_ptr<QPrinter> ChoosePrinter(QWidget*, const PrintRequest& request) override {
        ++asked;
        documentName = request.documentName;
        if (outputPath.isEmpty()) return nullptr;
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(outputPath);
        printer->setPageSize(QPageSize(QPageSize::A4));
        return printer;
    }
    QString outputPath;
    QString documentName;
    int asked = 0;
};

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class EditorWindowTest : public ::testing::Test {
  protected:
    void TearDown() override {
        port.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    EditorWindow* Open() {
        EXPECT_EQ(port->OpenEditor(kKeyPath), 0);
        return port->Frame();
    }
    // What the designer does to show a description.
    void Place(const QByteArray& text) {
        port->ClearEditorText();
        port->SetEditorText(text.constData(), int(text.size()));
    }
    QByteArray Text() {
        const int length = port->GetEditorTextLength();
        if (length < 0) return "(no editor)";
        QByteArray buffer(length + 1, 'X');
        const int copied = port->GetEditorText(buffer.data(), int(buffer.size()));
        return buffer.left(copied);
    }
    std::vector<Notice> TakeNotices() {
        QCoreApplication::sendPostedEvents(&recorder, kEditorNotifyEventType);
        std::vector<Notice> taken;
        taken.swap(recorder.notices);
        return taken;
    }
    int LoadRequests() {
        int count = 0;
        for (const Notice& notice : TakeNotices()) count += notice.code == kEditorLoadRequest;
        return count;
    }
    QString PathIn(const QString& name) const { return dir.filePath(name); }
    static void Run(EditorWindow* frame, EditorCommand command) {
        frame->Action(command)->trigger();
    }

    QTemporaryDir dir;
    RecordingDialogs dialogs = EditorDialogs();
    PdfPrinters printers;
    NoticeRecorder recorder;
    std::unique_ptr<EditorWindowPort> port =
        std::make_unique<EditorWindowPort>(&dialogs, &printers, &recorder);
};

const QByteArray kDescription =
    "Type = LowPass, fs = 48000 Hz\r\n"
    "#define NBCOEFS 3\r\n"
    "static double m_firCoefs[NBCOEFS] = {\r\n"
    "  2.50000000e-001,\r\n"
    "  5.00000000e-001,\r\n"
    "  2.50000000e-001 };\r\n";

TEST_F(EditorWindowTest, OpensOnceAndKeepsItsKeyPath) {
    ASSERT_TRUE(dir.isValid());
    EditorWindow* frame = Open();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(port->IsEditorOpen());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "D_Edit");
    EXPECT_EQ(port->GetEditorTextLength(), 0);

    EXPECT_EQ(port->OpenEditor("Software\\Other"), -1);
    EXPECT_EQ(port->Frame(), frame);
    EXPECT_EQ(port->KeyPath(), kKeyPath);
}

TEST_F(EditorWindowTest, ClosedEditorDoesNothingAndAnswersMinusOne) {
    const struct {
        const char* how;
        void (*close)(EditorWindow*);
    } ways[] = {
        {"never opened", nullptr},
        {"window closed", [](EditorWindow* frame) { frame->close(); }},
        {"Exit", [](EditorWindow* frame) { Run(frame, EditorCommand::Exit); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        if (way.close != nullptr) {
            EditorWindow* frame = Open();
            Place(kDescription);
            QPointer<EditorWindow> watched(frame);
            way.close(frame);
            EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{kEditorClosed, {}}}));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(watched.isNull());
        }
        EXPECT_FALSE(port->IsEditorOpen());
        EXPECT_EQ(port->Frame(), nullptr);
        port->ClearEditorText();
        port->SetEditorTitle("LowPass");
        port->SetEditorText("abc", 3);
        char buffer[8] = "kept";
        EXPECT_EQ(port->GetEditorText(buffer, sizeof buffer), -1);
        EXPECT_STREQ(buffer, "kept");
        EXPECT_EQ(port->GetEditorTextLength(), -1);
        EXPECT_TRUE(TakeNotices().empty());
    }
    // A new editor starts empty.
    Open();
    EXPECT_EQ(port->GetEditorTextLength(), 0);
}

TEST_F(EditorWindowTest, PlacesTextInPiecesAndGivesItBackUnchanged) {
    EditorWindow* frame = Open();
    const struct {
        const char* what;
        QByteArray text;
        std::vector<int> pieces;
    } cases[] = {
        {"no line feed", QByteArray(5000, 'x'), {2040, 2040, 920}},
        {"lines", "Type = LowPass\r\nfs = 48000\r\n", {15, 11}},
        {"CR LF straddling the end of a full piece", QByteArray(2039, 'a') + "\r\nb", {2040, 1}},
        {"exactly one piece", QByteArray(2040, 'c'), {2040}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        port->ClearEditorText();
        std::vector<int> pieces;
        const auto connection =
            QObject::connect(frame->Editor()->document(), &QTextDocument::contentsChange,
                             [&pieces](int, int, int added) { pieces.push_back(added); });
        port->SetEditorText(c.text.constData(), int(c.text.size()));
        QObject::disconnect(connection);
        EXPECT_EQ(pieces, c.pieces);
        EXPECT_EQ(port->GetEditorTextLength(), c.text.size());
        EXPECT_EQ(Text(), c.text);
    }
}

TEST_F(EditorWindowTest, PlacedTextStartsAtTheTopAndCannotBeUndone) {
    EditorWindow* frame = Open();
    QByteArray text;
    for (int line = 0; line < 300; ++line) text += "  1.00000000e-001,\r\n";
    Place(text);
    QPlainTextEdit* edit = frame->Editor();
    QCoreApplication::processEvents();
    EXPECT_EQ(edit->textCursor().position(), 0);
    EXPECT_EQ(edit->verticalScrollBar()->value(), 0);

    Run(frame, EditorCommand::Undo);
    EXPECT_EQ(Text(), text);
    edit->insertPlainText("x");
    Run(frame, EditorCommand::Undo);
    EXPECT_EQ(Text(), text);
}

TEST_F(EditorWindowTest, GetEditorTextKeepsToTheBuffer) {
    Open();
    Place("abc\r\ndef");
    const struct {
        int size;
        int copied;
        const char* text;
    } cases[] = {{100, 8, "abc\r\ndef"}, {9, 8, "abc\r\ndef"}, {5, 4, "abc\r"}, {1, 0, ""}};
    for (const auto& c : cases) {
        std::string buffer(std::size_t(c.size), 'X');
        EXPECT_EQ(port->GetEditorText(buffer.data(), c.size), c.copied) << c.size;
        EXPECT_STREQ(buffer.c_str(), c.text) << c.size;
        EXPECT_EQ(buffer.back(), '\0') << c.size;
    }
    EXPECT_EQ(port->GetEditorText(nullptr, 10), 0);
}

TEST_F(EditorWindowTest, SaveAsWritesTheTextAndNamesTheWindowAfterTheFile) {
    EditorWindow* frame = Open();
    Place(kDescription);
    port->SetEditorTitle("LowPass 48000Hz");

    dialogs.fileToSave = PathIn("lp.txt").toStdString();
    Run(frame, EditorCommand::SaveAs);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].name, "LowPass 48000Hz");
    EXPECT_EQ(dialogs.saveRequests[0].filter, kFilterFileTypes);
    EXPECT_EQ(ReadFile(PathIn("lp.txt")), kDescription);
    EXPECT_EQ(frame->windowTitle(), "lp.txt");
    EXPECT_EQ(frame->Path(), PathIn("lp.txt"));
    EXPECT_TRUE(dialogs.messages.empty());

    // The next Save As offers the file's name in its folder; a name without an extension is a
    // text file; a cancelled chooser changes nothing.
    dialogs.fileToSave = PathIn("hp").toStdString();
    Run(frame, EditorCommand::SaveAs);
    ASSERT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests[1].name, "lp.txt");
    EXPECT_EQ(dialogs.saveRequests[1].dir, dir.path().toStdString());
    EXPECT_EQ(ReadFile(PathIn("hp.txt")), kDescription);
    EXPECT_EQ(frame->windowTitle(), "hp.txt");

    dialogs.fileToSave.reset();
    Run(frame, EditorCommand::SaveAs);
    EXPECT_EQ(frame->windowTitle(), "hp.txt");
    EXPECT_EQ(frame->Path(), PathIn("hp.txt"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(TakeNotices().empty());  // the text is as it was placed
}

// File > Export... follows Save As and asks the application for the Export dialog; the editor
// itself asks for no file.
TEST_F(EditorWindowTest, ExportInTheFileMenuAsksTheApplicationForTheExportDialog) {
    EditorWindow* frame = Open();
    Place(kDescription);
    const QList<QAction*> file = frame->menuBar()->actions().at(0)->menu()->actions();
    const qsizetype saveAs = file.indexOf(frame->Action(EditorCommand::SaveAs));
    ASSERT_GE(saveAs, 0);
    ASSERT_LT(saveAs + 1, file.size());
    EXPECT_EQ(file.at(saveAs + 1), frame->Action(EditorCommand::Export));
    EXPECT_EQ(file.at(saveAs + 1)->text(), "&Export...");

    Run(frame, EditorCommand::Export);
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{kEditorExportRequest, {}}}));
    EXPECT_TRUE(dialogs.saveRequests.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EditorWindowTest, SaveAsksForANameOnlyUntilTheTextHasAFileButCtrlSAlwaysAsks) {
    EditorWindow* frame = Open();
    Place(kDescription);
    dialogs.fileToSave = PathIn("lp.txt").toStdString();
    Run(frame, EditorCommand::Save);
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);

    frame->Editor()->appendPlainText("// checked");
    Run(frame, EditorCommand::Save);
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_TRUE(ReadFile(PathIn("lp.txt")).endsWith("// checked"));

    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    QTest::keyClick(frame->Editor(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.saveRequests.size(), 2u);
}

TEST_F(EditorWindowTest, SavingEditedTextAsksTheMainWindowToLoadOnce) {
    EditorWindow* frame = Open();
    dialogs.fileToSave = PathIn("lp.txt").toStdString();
    const struct {
        const char* edit;
        void (*change)(QPlainTextEdit*);
        int loadRequests;
    } cases[] = {
        {"none", [](QPlainTextEdit*) {}, 0},
        {"one character replaced",
         [](QPlainTextEdit* edit) {
             QTextCursor cursor(edit->document());
             cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
             cursor.insertText("t");
         },
         1},
        {"last line deleted",
         [](QPlainTextEdit* edit) {
             QTextCursor cursor(edit->document());
             cursor.movePosition(QTextCursor::End);
             cursor.movePosition(QTextCursor::PreviousBlock, QTextCursor::KeepAnchor);
             cursor.removeSelectedText();
         },
         1},
        {"line added", [](QPlainTextEdit* edit) { edit->appendPlainText("// note"); }, 1},
        {"changed and changed back",
         [](QPlainTextEdit* edit) {
             edit->insertPlainText("x");
             edit->textCursor().deletePreviousChar();
         },
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        Place(kDescription);
        c.change(frame->Editor());
        Run(frame, EditorCommand::Save);
        EXPECT_EQ(LoadRequests(), c.loadRequests);
    }
}

TEST_F(EditorWindowTest, AFileThatCannotBeWrittenIsReportedAndNothingIsAsked) {
    EditorWindow* frame = Open();
    Place(kDescription);
    frame->Editor()->appendPlainText("// edited");
    dialogs.fileToSave = PathIn("missing/lp.txt").toStdString();
    Run(frame, EditorCommand::SaveAs);
    EXPECT_EQ(dialogs.CaptionedTexts(), std::vector<std::string>{"Ondela: Could not create File!"});
    EXPECT_TRUE(TakeNotices().empty());
    EXPECT_TRUE(Text().endsWith("// edited"));
}

// Typed text marks the caption until it is saved; closing the window with such edits asks what
// becomes of them. Save writes them (into the text's file, or one the user chooses) and closes
// without offering them to the main window; a Save that fails or is cancelled keeps the window.
TEST_F(EditorWindowTest, ClosingAsksAboutUnsavedEditsAndTheCaptionMarksThem) {
    const struct {
        const char* what;
        MessageAnswer choice;
        bool hasFile;
        const char* chosen;  // what the Save As chooser answers; nullptr: cancelled
        bool closes;
        bool written;
    } cases[] = {
        {"Cancel", MessageAnswer::Cancel, false, "lp.txt", false, false},
        {"Discard", MessageAnswer::Discard, false, "lp.txt", true, false},
        {"Save as", MessageAnswer::Save, false, "lp.txt", true, true},
        {"Save into the text's file", MessageAnswer::Save, true, nullptr, true, true},
        {"Save, chooser cancelled", MessageAnswer::Save, false, nullptr, false, false},
        {"Save, file not written", MessageAnswer::Save, false, "missing/lp.txt", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = PathIn(QStringLiteral("lp.txt"));
        QFile::remove(file);
        dialogs.messages.clear();
        EditorWindow* frame = Open();
        Place(kDescription);
        port->SetEditorTitle("LowPass");
        if (c.hasFile) {
            dialogs.fileToSave = file.toStdString();
            Run(frame, EditorCommand::SaveAs);
        }
        TakeNotices();
        EXPECT_EQ(frame->windowTitle(), c.hasFile ? "lp.txt" : "LowPass");
        // Closing unedited text asks nothing.
        if (!c.hasFile) {
            QPointer<EditorWindow> watched(frame);
            frame->close();
            EXPECT_TRUE(dialogs.messages.empty());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(watched.isNull());
            TakeNotices();
            frame = Open();
            Place(kDescription);
            port->SetEditorTitle("LowPass");
        }
        QTest::keyClicks(frame->Editor(), "// checked ");
        const QByteArray edited = Text();
        const QString caption = frame->windowTitle();
        EXPECT_EQ(caption, c.hasFile ? "*lp.txt" : "*LowPass");

        dialogs.choice = c.choice;
        dialogs.fileToSave =
            c.chosen ? std::optional(PathIn(c.chosen).toStdString()) : std::nullopt;
        EXPECT_EQ(frame->close(), c.closes);
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages[0].caption, "Ondela");
        EXPECT_EQ(port->IsEditorOpen(), !c.closes);
        EXPECT_EQ(ReadFile(file), c.written ? edited : QByteArray());
        const std::vector<Notice> closed = {{kEditorClosed, {}}};
        EXPECT_EQ(TakeNotices(), c.closes ? closed : std::vector<Notice>{});
        if (!c.closes) {
            EXPECT_EQ(Text(), edited);
            EXPECT_TRUE(frame->windowTitle().startsWith('*')) << frame->windowTitle().toStdString();
            dialogs.choice = MessageAnswer::Discard;
            EXPECT_TRUE(frame->close());
            TakeNotices();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(EditorWindowTest, NewEmptiesTheTextAndForgetsTheFile) {
    EditorWindow* frame = Open();
    Place(kDescription);
    dialogs.fileToSave = PathIn("lp.txt").toStdString();
    Run(frame, EditorCommand::SaveAs);

    Run(frame, EditorCommand::New);
    EXPECT_EQ(port->GetEditorTextLength(), 0);
    EXPECT_TRUE(frame->Path().isEmpty());
    EXPECT_EQ(frame->windowTitle(), "Show & Edit");
    dialogs.fileToSave.reset();
    Run(frame, EditorCommand::Save);  // no file any more: asks for a name, offering none
    ASSERT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests[1].name, "");
}

// New asks before it drops edited text, as closing does: Cancel keeps the text, Discard empties
// it, Save writes it first.
TEST_F(EditorWindowTest, NewAsksBeforeEditedTextIsLost) {
    const struct {
        const char* what;
        MessageAnswer choice;
        bool emptied;
        bool written;
    } cases[] = {
        {"Cancel", MessageAnswer::Cancel, false, false},
        {"Discard", MessageAnswer::Discard, true, false},
        {"Save", MessageAnswer::Save, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = PathIn(QStringLiteral("new.txt"));
        QFile::remove(file);
        dialogs.messages.clear();
        EditorWindow* frame = Open();
        Place(kDescription);
        Run(frame, EditorCommand::New);  // unedited text goes without a question
        EXPECT_TRUE(dialogs.messages.empty());
        Place(kDescription);
        QTest::keyClicks(frame->Editor(), "// checked ");
        const QByteArray edited = Text();

        dialogs.choice = c.choice;
        dialogs.fileToSave = file.toStdString();
        Run(frame, EditorCommand::New);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(Text(), c.emptied ? QByteArray() : edited);
        EXPECT_EQ(ReadFile(file), c.written ? edited : QByteArray());
        dialogs.choice = MessageAnswer::Discard;
        frame->close();
        TakeNotices();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(EditorWindowTest, OpenAsksTheMainWindowToLoadAFileOfTheUsersChoice) {
    EditorWindow* frame = Open();
    Run(frame, EditorCommand::Open);
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{kEditorLoadRequest, {}}}));
}

TEST_F(EditorWindowTest, ADroppedFilterFileIsLoaded) {
    EditorWindow* frame = Open();
    Place(kDescription);
    const struct {
        const char* what;
        QList<QUrl> urls;
        QString loaded;  // empty: the drop is refused
    } cases[] = {
        {"filter file", {QUrl::fromLocalFile("/data/lp.txt")}, "/data/lp.txt"},
        {"picture", {QUrl::fromLocalFile("/data/plot.png")}, ""},
        {"picture and filter file",
         {QUrl::fromLocalFile("/data/plot.png"), QUrl::fromLocalFile("/data/HP.TXT"),
          QUrl::fromLocalFile("/data/bp.txt")},
         "/data/HP.TXT"},
    };
    QWidget* const targets[] = {frame->Editor()->viewport(), frame->findChild<QToolBar*>()};
    for (const auto& c : cases) {
        for (QWidget* target : targets) {
            SCOPED_TRACE(std::string(c.what) + " on " + target->metaObject()->className());
            QMimeData data;
            data.setUrls(c.urls);
            const QPoint at = target->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &enter);
            EXPECT_EQ(enter.isAccepted(), !c.loaded.isEmpty());
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &drop);

            std::vector<Notice> expected;
            if (!c.loaded.isEmpty()) expected.push_back({kEditorLoadRequest, c.loaded});
            EXPECT_EQ(TakeNotices(), expected);
            EXPECT_EQ(Text(), kDescription);
        }
    }
}

TEST_F(EditorWindowTest, EditCommandsMoveOnlyPlainText) {
    EditorWindow* frame = Open();
    Place("alpha beta");
    QClipboard* clipboard = QGuiApplication::clipboard();
    frame->Editor()->selectAll();
    Run(frame, EditorCommand::Copy);
    EXPECT_EQ(clipboard->text(), "alpha beta");
    Run(frame, EditorCommand::Cut);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(clipboard->text(), "alpha beta");

    auto* formatted = new QMimeData;
    formatted->setHtml("<b>gain</b> <i>2</i>");
    formatted->setText("gain 2");
    clipboard->setMimeData(formatted);
    Run(frame, EditorCommand::Paste);
    EXPECT_EQ(Text(), "gain 2");
    Run(frame, EditorCommand::Undo);
    EXPECT_EQ(Text(), "");
}

TEST_F(EditorWindowTest, ViewMenuShowsAndHidesTheBars) {
    EditorWindow* frame = Open();
    const struct {
        EditorCommand command;
        QWidget* bar;
    } cases[] = {{EditorCommand::Toolbar, frame->findChild<QToolBar*>()},
                 {EditorCommand::StatusBar, frame->statusBar()}};
    for (const auto& c : cases) {
        QAction* action = frame->Action(c.command);
        ASSERT_TRUE(action->isChecked());
        Run(frame, c.command);
        EXPECT_FALSE(c.bar->isVisible());
        EXPECT_FALSE(action->isChecked());
        Run(frame, c.command);
        EXPECT_TRUE(c.bar->isVisible());
        EXPECT_TRUE(action->isChecked());
    }
}

TEST_F(EditorWindowTest, PromptsReplaceReadyWhileTheyShow) {
    EditorWindow* frame = Open();
    auto* ready = frame->statusBar()->findChild<QLabel*>();
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(ready->text(), "Ready");
    EXPECT_TRUE(ready->isVisible());

    // What hovering over a toolbar button sends it.
    QWidget* button =
        frame->findChild<QToolBar*>()->widgetForAction(frame->Action(EditorCommand::SaveAs));
    QStatusTipEvent hover(button->statusTip());
    QCoreApplication::sendEvent(button, &hover);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Save the active document with a new name");
    EXPECT_FALSE(ready->isVisible());
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "");
    EXPECT_TRUE(ready->isVisible());
}

// Pixels of a picture that are not transparent.
int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

TEST_F(EditorWindowTest, ToolbarButtonsHavePicturesWithoutAnIconTheme) {
    const QString theme = QIcon::themeName();
    const QStringList paths = QIcon::themeSearchPaths();
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName(QString());
    EditorWindow* frame = Open();
    auto* toolbar = frame->findChild<QToolBar*>();
    std::vector<QImage> pictures;
    for (EditorCommand command :
         {EditorCommand::Cut, EditorCommand::Copy, EditorCommand::Paste, EditorCommand::Print}) {
        const QIcon icon = frame->Action(command)->icon();
        ASSERT_FALSE(icon.isNull()) << int(command);
        const QImage picture = icon.pixmap(16, 16).toImage();
        // A drawn picture, not a blank square nor a filled one.
        EXPECT_GT(OpaquePixels(picture), 30) << int(command);
        EXPECT_LT(OpaquePixels(picture), 16 * 16) << int(command);
        for (const QImage& other : pictures) EXPECT_NE(picture, other) << int(command);
        pictures.push_back(picture);
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(frame->Action(command)));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(theme);
}

// Pages of a PDF file written by Qt: one page object each.
int PdfPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(pdf).count(page));
}

// The text of a printed PDF file as pdftotext reads it; empty when the tool is missing.
QString PrintedText(const QString& pdf) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) return {};
    QProcess extract;
    extract.start(pdftotext, {QStringLiteral("-layout"), pdf, "-"});
    if (!extract.waitForFinished(30000)) return {};
    return QString::fromUtf8(extract.readAllStandardOutput());
}

// Each row is printed once, whatever the monospace font: a row that does not fit a page goes
// whole to the next one, and is not also put, clipped away, at the foot of the page before
// (where copying or searching the document would find it twice). The fonts differ in their line
// spacing, so each puts the page breaks elsewhere.
TEST_F(EditorWindowTest, PrintsTheWholeTextOverAsManyPagesAsItNeeds) {
    EditorWindow* frame = Open();
    const QFont systemFont = frame->Editor()->font();
    const struct {
        int lines;
        int minPages;
        int maxPages;
    } cases[] = {{0, 1, 1}, {3, 1, 1}, {400, 4, 12}};
    // The desktop's monospace font, then each of the common ones that is installed.
    for (const char* family : {"", "DejaVu Sans Mono", "Noto Sans Mono", "Liberation Mono"}) {
        SCOPED_TRACE(*family == '\0' ? "system monospace" : family);
        QFont font = systemFont;
        if (*family != '\0') {
            if (!QFontDatabase::hasFamily(family)) continue;
            font.setFamily(family);
        }
        frame->Editor()->setFont(font);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.lines);
            QByteArray text;
            for (int line = 1; line <= c.lines; ++line) {
                text += QStringLiteral("line %1 = %2e-003,\r\n")
                            .arg(line, 4, 10, QLatin1Char('0'))
                            .arg(line)
                            .toLatin1();
            }
            Place(text);
            printers.outputPath = PathIn(QStringLiteral("print%1.pdf").arg(c.lines));
            Run(frame, EditorCommand::Print);
            const QByteArray pdf = ReadFile(printers.outputPath);
            ASSERT_FALSE(pdf.isEmpty());
            EXPECT_GE(PdfPages(pdf), c.minPages);
            EXPECT_LE(PdfPages(pdf), c.maxPages);

            // Every line is printed once, in order, none lost or doubled at a page break.
            const QString printed = PrintedText(printers.outputPath);
            if (printed.isEmpty() || c.lines == 0) continue;
            qsizetype from = 0;
            for (int line = 1; line <= c.lines; ++line) {
                const QString wanted =
                    QStringLiteral("line %1 ").arg(line, 4, 10, QLatin1Char('0'));
                const qsizetype at = printed.indexOf(wanted, from);
                ASSERT_GE(at, 0) << wanted.toStdString();
                EXPECT_EQ(printed.indexOf(wanted, at + 1), -1) << wanted.toStdString();
                from = at;
            }
        }
    }
    // A cancelled print dialog prints nothing.
    printers.outputPath.clear();
    const int asked = printers.asked;
    Run(frame, EditorCommand::Print);
    EXPECT_EQ(printers.asked, asked + 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

// Runs a tool and gives its standard output; empty when the tool is missing or fails.
QByteArray ToolOutput(const QString& tool, const QStringList& arguments) {
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty()) return {};
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    return process.readAllStandardOutput();
}

TEST_F(EditorWindowTest, PrintsWholeRowsInsideMarginsOfFifteenMillimetres) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "poppler-utils are not installed";
    }
    EditorWindow* frame = Open();
    // Rows of four 64-bit coefficients, as the description of a FLT64 filter holds them.
    const QByteArray row =
        "    -5.4998413195988822e-004, 8.8767956456828735e-004, 4.1312882423829370e-003, "
        "8.4703835893251717e-003,\r\n";
    constexpr int kRows = 90;
    QByteArray text = "static double m_firCoefs[NBCOEFS] = {\r\n";
    for (int i = 0; i < kRows; ++i) text += row;
    text += "};\r\n";
    Place(text);
    printers.outputPath = PathIn(QStringLiteral("rows.pdf"));
    Run(frame, EditorCommand::Print);

    // Every row on one printed line: four numbers on each line that holds one.
    const QString printed = QString::fromUtf8(ToolOutput(
        QStringLiteral("pdftotext"), {QStringLiteral("-layout"), printers.outputPath, "-"}));
    int rows = 0;
    for (const QString& line : printed.split(QLatin1Char('\n'))) {
        const auto numbers = line.count(QStringLiteral("e-00"));
        if (numbers == 0) continue;
        EXPECT_EQ(numbers, 4) << line.toStdString();
        ++rows;
    }
    EXPECT_EQ(rows, kRows);

    // The ink of the first page at 72 dots per inch (A4: 595 x 842): 15 mm is 42.5 dots.
    const QByteArray pgm = ToolOutput(
        QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
         QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), printers.outputPath});
    const QImage page = QImage::fromData(pgm, "PGM");
    ASSERT_FALSE(page.isNull());
    ASSERT_EQ(page.width(), 595);
    int left = page.width(), right = -1, top = page.height(), bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) > 128) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    ASSERT_GE(right, left) << "nothing printed";
    EXPECT_GE(left, 42);
    EXPECT_GE(top, 42);
    EXPECT_LE(right, page.width() - 43);
    EXPECT_LE(bottom, page.height() - 43);
    // The rows use the width: the type was not shrunk further than it had to be.
    EXPECT_GE(right, page.width() - 43 - 60);
}

}  // namespace
}  // namespace ondela
