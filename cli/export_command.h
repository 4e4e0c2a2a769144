// "ondela-cli export": a filter file read as the window's Load reads it, its coefficients
// quantised to a fixed-point word and written as one coefficient file that a toolchain loads
// (FPGA memory files, HDL declarations, a CMSIS-DSP header, data files), stating the design and
// what the quantised filter achieves.
#pragma once

#include <QStringList>

#include "cli/cli_support.h"

namespace ondela::cli {

// Runs the whole command and returns the exit status.
int RunExportCommand(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
