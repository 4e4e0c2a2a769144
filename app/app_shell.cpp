#include "app/app_shell.h"

#include <QFileInfo>

#include "app/about/about_box.h"
#include "app/about/version_info.h"
#include "app/help/help_viewer.h"
#include "ui/export/export_dialog.h"

namespace ondela {

AppShell::AppShell(UserDialogs& dialogs, FilterWorkspace& ws)
    : m_ws(ws), m_printer(dialogs, m_printers) {}

void AppShell::PrintWindow(const std::string& title) {
    if (m_window) m_printer.PrintWindowImage(m_window, QString::fromStdString(title));
}

bool AppShell::InitHelp(const std::string& helpPath) {
    return QFileInfo(QString::fromStdString(helpPath)).isFile();
}

bool AppShell::ShowHelp(const std::string& helpPath) {
    return HelpViewer::ShowHelp(m_window, QString::fromStdString(helpPath)) != nullptr;
}

void AppShell::CloseHelp() {
    HelpViewer::CloseAllHelp();
}

void AppShell::ShowAbout() {
    AboutBox about(m_window);
    about.exec();
}

void AppShell::ShowExport() {
    VersionStrings strings;
    ReadVersionInfo(BuiltInVersionBlock, strings);
    ExportDialog dialog(m_ws, strings.productName, strings.productVersion, nullptr, m_window,
                        &m_exportChoices);
    dialog.exec();
    m_exportChoices = dialog.Session().choices;
}

std::string AppShell::ProductCaption() {
    return MainWindowCaption();
}

}  // namespace ondela
