// Runs an external tool (GHDL, Icarus Verilog, gcc, Python) in a folder and collects what it
// wrote, for tests whose oracle is that tool. A tool that is not installed ends with status 127
// and says so on its error stream; scripts/setup installs every tool these tests use.
#pragma once

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace ondela::testing {

// Runs argv[0] (looked up in PATH) with the arguments in folder dir.
inline ChildRun RunTool(const std::vector<std::string>& argv, const std::string& dir) {
    ChildOptions options;
    options.dir = dir;
    return RunChild(argv, options);
}

}  // namespace ondela::testing
