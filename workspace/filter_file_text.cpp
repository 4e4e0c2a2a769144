#include "workspace/filter_file_text.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace ondela {

namespace {

constexpr std::size_t kPathLimit = 520;  // longest path the workspace keeps

}  // namespace

bool UsableFilePath(const std::string& path) {
    return !path.empty() && path.size() <= kPathLimit && path.find('\0') == std::string::npos;
}

FilterFileText ReadFilterFileText(const std::string& path, std::size_t limit) {
    FilterFileText r;
    r.error = ENAMETOOLONG;
    if (!UsableFilePath(path)) return r;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    r.error = errno;
    if (file == nullptr) return r;
    struct stat info {};
    if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        r.error = EISDIR;
        return r;
    }
    r.text.assign(limit + 1, '\0');
    r.size = std::fread(r.text.data(), 1, r.text.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    r.error = 0;
    if (r.size > limit) {
        r.outcome = FilterFileText::kTooLarge;
    } else if (failed) {
        r.outcome = FilterFileText::kNoRead;
    } else {
        r.outcome = FilterFileText::kRead;
    }
    return r;
}

}  // namespace ondela
