// The services the main window's commands start, as the application provides them: printing the
// window through the print dialog, the help window, the About box and the caption from the
// version data.
#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/main_window/shell_services.h"
#include "ui/print/printer.h"
#include "ui/print/qt_printer_source.h"

namespace ondela {

class AppShell : public ShellServices {
  public:
    explicit AppShell(UserDialogs& dialogs);

    // The main window: what Print prints and what the help and About windows belong to.
    void SetWindow(QWidget* window) { m_window = window; }

    void PrintWindow(const std::string& title) override;
    bool InitHelp(const std::string& helpPath) override;
    bool ShowHelp(const std::string& helpPath) override;
    void CloseHelp() override;
    void ShowAbout() override;
    std::string ProductCaption() override;

  private:
    QPointer<QWidget> m_window;
    QtPrinterSource m_printers;
    CPrinter m_printer;
};

}  // namespace ondela
