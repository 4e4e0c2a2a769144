// "ondela-cli plot": a filter file loaded as the window's Load loads it, its response plot and
// its coefficient plot painted as the window paints them, written as one PNG picture.
#pragma once

#include <QStringList>
#include <optional>

#include "cli/cli_support.h"

namespace ondela::cli {

struct PlotRequest {
    QString file;    // the filter file to load
    QString output;  // the picture file
    bool logScale = false;
    std::optional<double> fmin;    // lower display frequency (linear scale only)
    std::optional<double> fmax;    // upper display frequency
    std::optional<double> cursor;  // cursor frequency
    std::optional<int> format;     // coefficient format to show the filter in
};

// Runs the whole command and returns the exit status. Needs a QGuiApplication (for the label
// font).
int RunPlotCommand(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
