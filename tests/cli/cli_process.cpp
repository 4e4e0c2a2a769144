#include "tests/cli/cli_process.h"

#include <cstddef>

namespace ondela::testing {

CliRun RunCli(const std::vector<std::string>& args, const CliEnvironment& environment) {
    std::vector<std::string> argv = {ONDELA_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.env = environment.set;
    options.stdoutPath = environment.stdoutPath;
    options.fileSizeLimit = environment.fileSizeLimit;
    return RunChild(argv, options);
}

std::vector<std::string> WithOption(const std::vector<std::string>& args, std::size_t first,
                                    const std::string& option, const char* value) {
    std::vector<std::string> out(args.begin(), args.begin() + static_cast<long>(first));
    bool found = false;
    for (std::size_t i = first; i + 1 < args.size(); i += 2) {
        found = found || args[i] == option;
        if (args[i] != option) {
            out.push_back(args[i]);
            out.push_back(args[i + 1]);
        } else if (value != nullptr) {
            out.push_back(option);
            out.push_back(value);
        }
    }
    if (!found && value != nullptr) {
        out.push_back(option);
        out.push_back(value);
    }
    return out;
}

std::string AfterFirstLine(const std::string& text) {
    const std::size_t end = text.find('\n');
    return end == std::string::npos ? std::string() : text.substr(end + 1);
}

}  // namespace ondela::testing
