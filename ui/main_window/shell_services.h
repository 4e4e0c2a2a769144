// The application's services that the main window's commands start: printing the window, the
// help viewer and the About box, and the caption from the product's version data.
#pragma once

#include <string>

namespace ondela {

class ShellServices {
  public:
    virtual ~ShellServices() = default;

    // Prints a picture of the main window as one page with the given document title.
    virtual void PrintWindow(const std::string& title) = 0;
    // Prepares the help viewer for the help file (once, when the window opens). False when no
    // help can be shown.
    virtual bool InitHelp(const std::string& helpPath) = 0;
    // Closes any help window and shows the help file's start page in a window of 900 x 780
    // pixels. False when nothing could be shown.
    virtual bool ShowHelp(const std::string& helpPath) = 0;
    virtual void CloseHelp() = 0;
    // The About box, modally.
    virtual void ShowAbout() = 0;
    // The Export dialog over the current filter, modally.
    virtual void ShowExport() = 0;
    // "<product name> <product version>" from the version data; empty when it cannot be read.
    virtual std::string ProductCaption() = 0;
};

}  // namespace ondela
