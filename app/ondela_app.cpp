#include "app/ondela_app.h"

#include <QThread>

#include "app/help/help_file.h"
#include "settings/qt_settings_store.h"
#include "ui/editor/editor_notify.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_dialog.h"
#include "workspace/file_paths.h"

namespace ondela {

namespace {

std::unique_ptr<SettingsStore> UserStore(std::unique_ptr<SettingsStore> given) {
    if (given) return given;
    return std::make_unique<QtSettingsStore>();
}

}  // namespace

OndelaApp::OndelaApp(AppEnvironment env)
    : m_env(std::move(env)),
      m_dialogs(m_env.dialogs ? *m_env.dialogs : static_cast<UserDialogs&>(m_qtDialogs)),
      m_store(UserStore(std::move(m_env.store))),
      m_prefs(m_store.get()),
      m_graph(m_ws),
      m_shell(m_dialogs, m_ws),
      m_editor(&m_dialogs, &m_editorPrinters, this) {
    m_ws.m_engine = &m_engine;
    m_ws.m_dialogs = &m_dialogs;
    m_ws.m_editor = &m_editor;
}

OndelaApp::~OndelaApp() {
    m_mainWindow.reset();
    m_ws.m_mainWindow = nullptr;
}

void OndelaApp::Pause(int ms) {
    if (m_env.sleep) {
        m_env.sleep(ms);
    } else {
        QThread::msleep(static_cast<unsigned long>(ms));
    }
}

bool OndelaApp::StartUp() {
    m_ws.m_prefKeyPath = "Software\\MQ\\Ondela\\Preferences";
    const bool open = m_prefs.OpenKeys();
    Pause(50);
    if (!open) {
        Pause(500);
        m_qtDialogs.SetParent(nullptr);
        m_dialogs.MessageBox(kFatalText, kFatalCaption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    m_ws.m_prefs = &m_prefs;

    if (!m_env.moduleDir.empty()) {
        m_ws.m_moduleDir = m_env.moduleDir;
    } else {
        ModuleDirectory(m_ws.m_moduleDir);
    }
    m_ws.m_helpPath = FindHelpFile(m_ws.m_moduleDir, [this](const std::string& path) {
        return FileExists(path.c_str()) != 0;
    });

    m_mainWindow = std::make_unique<MainDialog>(m_ws, m_graph, m_dialogs, &m_shell);
    m_qtDialogs.SetParent(m_mainWindow.get());
    m_shell.SetWindow(m_mainWindow.get());
    if (m_env.runMainWindow) {
        m_env.runMainWindow(*m_mainWindow);
    } else {
        m_mainWindow->exec();
    }
    m_shell.CloseHelp();
    m_qtDialogs.SetParent(nullptr);
    return true;
}

bool OndelaApp::event(QEvent* event) {
    if (event->type() != kEditorNotifyEventType) return QObject::event(event);
    const auto* notify = static_cast<EditorNotifyEvent*>(event);
    if (notify->code == kEditorExportRequest && m_mainWindow) {
        // The same dialog as the main window's Export... button, over the same filter.
        m_mainWindow->Logic().OnCommand(ctl::kExport);
    } else if (notify->code == kEditorLoadRequest && m_mainWindow) {
        // A file dropped on the editor is loaded by its path; without one, Load asks for a file.
        if (notify->path.isEmpty()) {
            m_mainWindow->Logic().OnCommand(ctl::kLoad);
        } else {
            m_ws.LoadFilterFile(notify->path.toStdString());
        }
    }
    return true;
}

}  // namespace ondela
