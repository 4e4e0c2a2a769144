// The application object end to end on the offscreen platform: start-up with a store that
// cannot be opened, the help file found in the Doc folder, the editor's load requests, and a
// whole session (Create, the editor, Save, printing the window) with the modal run replaced by a
// script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "app/ondela_app.h"
#include "settings/memory_settings_store.h"
#include "tests/workspace/workspace_fakes.h"
#include "ui/editor/editor_notify.h"
#include "ui/editor/editor_window.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_dialog.h"
#include "ui/print/pdf_printer_source.h"
#include "ui/print/printer.h"

namespace ondela {
namespace {

struct Session {
    explicit Session(std::function<int(MainDialog&)> script = {}, bool storeFails = false) {
        auto store = std::make_unique<MemorySettingsStore>();
        store->SetOpenFails(storeFails);
        AppEnvironment env;
        env.store = std::move(store);
        env.moduleDir = dir.path().toStdString() + "/bin";
        env.sleep = [this](int ms) { pauses.push_back(ms); };
        env.dialogs = &dialogs;
        env.runMainWindow = std::move(script);
        app = std::make_unique<OndelaApp>(std::move(env));
    }

    QTemporaryDir dir;
    testing::EventLog log;
    testing::RecordingDialogs dialogs{log};
    std::vector<int> pauses;
    std::unique_ptr<OndelaApp> app;
};

void Press(MainDialog& d, int id) {
    QTest::mouseClick(d.Control(id), Qt::LeftButton);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(AppStartup, AStoreThatCannotBeOpenedEndsWithTheFatalMessage) {
    bool windowRan = false;
    Session s([&](MainDialog&) { return windowRan = true; }, true);
    EXPECT_FALSE(s.app->StartUp());
    EXPECT_FALSE(windowRan);
    EXPECT_EQ(s.app->MainWindow(), nullptr);
    EXPECT_EQ(s.log,
              std::vector<std::string>{"Message Could not Write to Windows Register Data Base"});
    EXPECT_EQ(s.dialogs.captions, std::vector<std::string>{"FATAL ERROR"});
    EXPECT_EQ(s.pauses, (std::vector<int>{50, 500}));  // about 550 ms before the message
}

TEST(AppStartup, HelpFileInTheDocFolderKeepsItsPathAsWritten) {
    Session s([](MainDialog&) { return 0; });
    QDir(s.dir.path()).mkpath("bin");
    QDir(s.dir.path()).mkpath("Doc");
    QFile(s.dir.filePath("Doc/Ondela.chm")).open(QIODevice::WriteOnly);
    EXPECT_TRUE(s.app->StartUp());
    EXPECT_EQ(s.app->Workspace().m_helpPath, s.dir.path().toStdString() + "/bin/../Doc/Ondela.chm");
    EXPECT_EQ(s.pauses, std::vector<int>{50});
    EXPECT_TRUE(s.log.empty());
}

TEST(AppStartup, OnlyTheEditorsLoadRequestRunsLoad) {
    Session* session = nullptr;
    Session s([&](MainDialog&) {
        for (int code : {57601, kEditorClosed}) {
            EditorNotifyEvent e(code);
            QCoreApplication::sendEvent(session->app.get(), &e);
        }
        EXPECT_FALSE(session->dialogs.openAsked.has_value());
        EditorNotifyEvent load(kEditorLoadRequest);
        QCoreApplication::sendEvent(session->app.get(), &load);
        EXPECT_TRUE(session->dialogs.openAsked.has_value());  // Load asked for a file

        // A file dropped on the editor is loaded without asking.
        session->dialogs.openAsked.reset();
        const QString file = QString(ONDELA_TEST_DATA_DIR) + "/lowpass_flt32.txt";
        EditorNotifyEvent drop(kEditorLoadRequest, file);
        QCoreApplication::sendEvent(session->app.get(), &drop);
        EXPECT_FALSE(session->dialogs.openAsked.has_value());
        EXPECT_TRUE(session->app->Workspace().Current().valid);
        EXPECT_EQ(session->app->Workspace().m_filePath, file.toStdString());
        return 0;
    });
    session = &s;
    EXPECT_TRUE(s.app->StartUp());
}

// The main window's Export... button and the editor's export request open the same modal
// "Export Coefficients" dialog over the current filter (closed here as soon as it shows).
TEST(AppStartup, ExportButtonAndTheEditorsRequestOpenTheExportDialog) {
    Session* session = nullptr;
    std::vector<QString> seen;
    const auto closeNextDialog = [&seen] {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, &seen] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            timer->stop();
            timer->deleteLater();
            seen.push_back(dialog->windowTitle() + " " +
                           dialog->findChild<QLineEdit*>("name")->text());
            dialog->reject();
        });
        timer->start(10);
    };
    Session s([&](MainDialog& window) {
        window.show();
        Press(window, ctl::kCreate);
        closeNextDialog();
        Press(window, ctl::kExport);
        closeNextDialog();
        EditorNotifyEvent request(kEditorExportRequest);
        QCoreApplication::sendEvent(session->app.get(), &request);
        Press(window, ctl::kQuit);
        return 0;
    });
    session = &s;
    EXPECT_TRUE(s.app->StartUp());
    EXPECT_EQ(seen,
              (std::vector<QString>{"Export Coefficients lowpass", "Export Coefficients lowpass"}));
    EXPECT_TRUE(s.log.empty()) << s.log.front();
}

// Create, open the editor, save, print the window: the editor shows exactly what Save writes,
// and the printed page is one landscape page.
TEST(AppStartup, DesignEditSaveAndPrint) {
    Session* session = nullptr;
    Session s([&](MainDialog& window) {
        window.show();
        FilterWorkspace& ws = session->app->Workspace();
        Press(window, ctl::kCreate);
        EXPECT_TRUE(ws.Current().valid);
        Press(window, ctl::kFilterEditor);
        EditorPort& editor = session->app->Editor();
        EXPECT_TRUE(editor.IsEditorOpen());
        std::vector<char> text(static_cast<size_t>(editor.GetEditorTextLength()) + 1);
        editor.GetEditorText(text.data(), static_cast<int>(text.size()));

        const std::string saved = session->dir.filePath("lowpass.txt").toStdString();
        session->dialogs.fileToSave = saved;
        Press(window, ctl::kSave);
        EXPECT_EQ(ReadFile(saved), std::string(text.data()));

        const QString pdf = session->dir.filePath("window.pdf");
        PdfPrinterSource printers(pdf, 300);
        Printer printer(session->dialogs, printers);
        EXPECT_EQ(printer.PrintWindowImage(&window, "window"), 1);
        QProcess info;
        info.start("pdfinfo", {pdf});
        info.waitForFinished();
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        EXPECT_TRUE(out.contains(QRegularExpression("Pages:\\s+1\\b"))) << out.toStdString();
        EXPECT_TRUE(out.contains(QRegularExpression("Page size:\\s+842 x 595")))
            << out.toStdString();
        if (qEnvironmentVariableIsSet("ONDELA_KEEP_PRINT")) {
            QFile::copy(pdf, qEnvironmentVariable("ONDELA_KEEP_PRINT"));
        }
        Press(window, ctl::kQuit);
        return 0;
    });
    session = &s;
    EXPECT_TRUE(s.app->StartUp());
    EXPECT_TRUE(s.log.empty() || s.log.front().rfind("Message", 0) != 0) << s.log.front();
}

// Quit with text typed into the Filter Editor asks once what becomes of it: Save writes it to a
// file of the user's choice and ends, Discard ends without writing, Cancel keeps the program and
// the edited text as they were.
TEST(AppStartup, QuitAsksBeforeEditedTextIsLost) {
    const struct {
        MessageAnswer choice;
        bool ends;
        bool written;
    } cases[] = {
        {MessageAnswer::Save, true, true},
        {MessageAnswer::Discard, true, false},
        {MessageAnswer::Cancel, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.choice));
        Session* session = nullptr;
        Session s([&](MainDialog& window) {
            window.show();
            Press(window, ctl::kCreate);
            Press(window, ctl::kFilterEditor);
            EditorWindow* editor = session->app->Editor().Frame();
            if (editor == nullptr) {
                ADD_FAILURE() << "no editor";
                return 0;
            }
            const QString caption = editor->windowTitle();
            QTest::keyClicks(editor->Editor(), "// checked ");
            EXPECT_EQ(editor->windowTitle(), "*" + caption);  // the mark of unsaved edits
            const QString edited = editor->Editor()->toPlainText();

            const std::string path = session->dir.filePath("edited.txt").toStdString();
            session->dialogs.fileToSave = path;
            session->dialogs.choice = c.choice;
            Press(window, ctl::kQuit);
            EXPECT_EQ(session->dialogs.messages.size(), 1u);
            EXPECT_EQ(window.isVisible(), !c.ends);
            EXPECT_EQ(session->app->Editor().IsEditorOpen(), !c.ends);
            EXPECT_EQ(QFile::exists(QString::fromStdString(path)), c.written);
            if (c.written) {
                EXPECT_EQ(session->dialogs.saveAsked->name, caption.toStdString());
                EXPECT_EQ(QString::fromUtf8(ReadFile(path)).replace("\r\n", "\n"), edited);
            }
            if (!c.ends) {
                EXPECT_EQ(editor->Editor()->toPlainText(), edited);
                EXPECT_EQ(editor->windowTitle(), "*" + caption);
                session->dialogs.choice = MessageAnswer::Discard;
                Press(window, ctl::kQuit);
                EXPECT_FALSE(window.isVisible());
            }
            return 0;
        });
        session = &s;
        EXPECT_TRUE(s.app->StartUp());
    }
}

}  // namespace
}  // namespace ondela
