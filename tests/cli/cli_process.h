// Runs the built ondela-cli as a child process and collects what it wrote and how it ended.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace ondela::testing {

using CliRun = ChildRun;

struct CliEnvironment {
    std::vector<std::string> set;  // "NAME=value" entries that replace or add to the environment
    std::string stdoutPath;        // when not empty, standard output goes to this file
    long fileSizeLimit = -1;       // when not negative, the largest file the child may write;
                                   // a write beyond it fails (EFBIG) instead of killing it
};

CliRun RunCli(const std::vector<std::string>& args, const CliEnvironment& env = {});

// args (option and value pairs from index first on) with the value of option replaced, or
// without the option when value is null; an option args lacks is added at the end.
std::vector<std::string> WithOption(const std::vector<std::string>& args, std::size_t first,
                                    const std::string& option, const char* value);

// The text from its second line on (the first line of a description holds the date and time).
std::string AfterFirstLine(const std::string& text);

}  // namespace ondela::testing
