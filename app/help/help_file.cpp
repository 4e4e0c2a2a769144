#include "app/help/help_file.h"

namespace ondela {

namespace {
constexpr std::size_t kPathLimit = 520;
}

std::string FindHelpFile(const std::string& moduleDir,
                         const std::function<bool(const std::string&)>& fileExists) {
    const std::string candidates[] = {
        moduleDir + "/" + kHelpFileName,
        moduleDir + "/../Doc/" + kHelpFileName,
    };
    for (const std::string& path : candidates) {
        // A longer path would have to be cut, and a cut path names another file.
        if (path.size() > kPathLimit) continue;
        if (fileExists && fileExists(path)) return path;
    }
    return {};
}

}  // namespace ondela
