// The application object: owns the one filter workspace, the design engine, the stored
// settings, the plots, the editor, printing, help and About, wires them together, and runs the
// main window. Its start-up opens the settings store (the program ends with a message when it
// cannot), finds the help file, and runs the main window modally until the user quits.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/app_shell.h"
#include "engine/design_engine.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "ui/editor/editor_window_port.h"
#include "ui/main_window/qt_user_dialogs.h"
#include "ui/plot/response_plot.h"
#include "workspace/filter_workspace.h"

namespace ondela {

class MainDialog;

// What start-up takes from its surroundings; tests replace each of them.
struct AppEnvironment {
    std::unique_ptr<SettingsStore> store;           // the user's store when null
    std::string moduleDir;                          // the program's folder when empty
    std::function<void(int ms)> sleep;              // a real pause when empty
    UserDialogs* dialogs = nullptr;                 // the Qt message boxes when null
    std::function<int(MainDialog&)> runMainWindow;  // the modal run when empty
};

constexpr const char* kFatalCaption = "FATAL ERROR";
constexpr const char* kFatalText = "Could not Write to Windows Register Data Base";

class OndelaApp : public QObject {
  public:
    explicit OndelaApp(AppEnvironment env = {});
    ~OndelaApp() override;

    // Start-up and the main window's whole run. False when the settings store could not be
    // opened (after the fatal message); true once the main window has closed.
    bool StartUp();

    FilterWorkspace& Workspace() { return m_ws; }
    MainDialog* MainWindow() { return m_mainWindow.get(); }
    EditorWindowPort& Editor() { return m_editor; }

  protected:
    // The editor's load request runs the main window's Load command.
    bool event(QEvent* event) override;

  private:
    void Pause(int ms);

    AppEnvironment m_env;
    QtUserDialogs m_qtDialogs;
    UserDialogs& m_dialogs;  // the Qt dialogs unless the environment gives others
    std::unique_ptr<SettingsStore> m_store;
    Preferences m_prefs;
    DesignEngine m_engine;
    FilterWorkspace m_ws;
    ResponsePlot m_graph;
    AppShell m_shell;
    QtPrinterSource m_editorPrinters;
    EditorWindowPort m_editor;
    std::unique_ptr<MainDialog> m_mainWindow;
};

}  // namespace ondela
