#include "app/app_shell.h"

#include <QFileInfo>

#include "app/about/about_dlg.h"
#include "app/about/version_info.h"
#include "app/help/help_viewer.h"

namespace ondela {

AppShell::AppShell(UserDialogs& dialogs) : m_printer(dialogs, m_printers) {}

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
    CAboutDlg about(m_window);
    about.exec();
}

std::string AppShell::ProductCaption() {
    return MainWindowCaption();
}

}  // namespace ondela
