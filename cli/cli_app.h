// The command line of ondela-cli: global options and the choice of command.
#pragma once

#include <QStringList>

#include "cli/cli_support.h"

namespace ondela::cli {

// Runs ondela-cli with its arguments (the program name first) and returns the exit status.
int RunCli(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
