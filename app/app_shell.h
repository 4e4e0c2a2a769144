// The services the main window's commands start, as the application provides them: printing the
// window through the print dialog, the help window, the About box, the Export dialog and the
// caption from the version data.
#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/export/export_session.h"
#include "ui/main_window/shell_services.h"
#include "ui/print/printer.h"
#include "ui/print/qt_printer_source.h"

namespace ondela {

class FilterWorkspace;

class AppShell : public ShellServices {
  public:
    // ws: the filter the Export dialog exports.
    AppShell(UserDialogs& dialogs, FilterWorkspace& ws);

    // The main window: what Print prints and what the help and About windows belong to.
    void SetWindow(QWidget* window) { m_window = window; }

    void PrintWindow(const std::string& title) override;
    bool InitHelp(const std::string& helpPath) override;
    bool ShowHelp(const std::string& helpPath) override;
    void CloseHelp() override;
    void ShowAbout() override;
    // The Export dialog opens with the choices it closed with last in this run.
    void ShowExport() override;
    std::string ProductCaption() override;

  private:
    QPointer<QWidget> m_window;
    FilterWorkspace& m_ws;
    ExportChoices m_exportChoices;
    QtPrinterSource m_printers;
    Printer m_printer;
};

}  // namespace ondela
