#include "workspace/file_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace ondela {
namespace {

constexpr std::size_t kDirectoryLimit = 259;
constexpr std::size_t kModuleDirectoryLimit = 258;

}  // namespace

int ModuleDirectory(std::string& dest) {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return 0;
    path[length] = '\0';
    char* cut = std::strrchr(path, '/');
    if (cut != nullptr) *cut = '\0';
    dest.assign(path, strnlen(path, kModuleDirectoryLimit));
    return static_cast<int>(length);
}

std::string DirectoryOf(const char* path) {
    if (path == nullptr) return {};
    std::string dir(path, strnlen(path, kDirectoryLimit));
    std::size_t cut = dir.rfind('\\');
    if (cut == std::string::npos) cut = dir.rfind('/');
    if (cut == std::string::npos) return {};
    dir.resize(cut);
    return dir;
}

int FileExists(const char* path) {
    struct stat info {};
    if (path == nullptr || stat(path, &info) != 0) return 0;
    return S_ISDIR(info.st_mode) ? 0 : 1;
}

}  // namespace ondela
