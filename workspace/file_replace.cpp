#include "workspace/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "numbers/number_text.h"

namespace ondela {

namespace {

constexpr int kTempNameAttempts = 100;

bool Fail(FileReplaceFailure* failure, FileReplaceFailure::Stage stage, int error) {
    if (failure) *failure = {stage, error};
    return false;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         FileReplaceFailure* failure, const FileWriteStep& write) {
    if (path.empty()) return Fail(failure, FileReplaceFailure::kCreate, ENOENT);

    std::string target = path;
    std::error_code ec;
    // A link is followed, so that the file it names is replaced rather than the link itself.
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::canonical(target, ec);
        if (!ec) target = resolved.string();
    }
    struct stat old {};
    const bool existed = stat(target.c_str(), &old) == 0;
    // A directory cannot be replaced by a file, nor can a file the user may not write.
    if (existed && S_ISDIR(old.st_mode)) return Fail(failure, FileReplaceFailure::kCreate, EISDIR);
    if (existed && access(target.c_str(), W_OK) != 0) {
        return Fail(failure, FileReplaceFailure::kCreate, errno);
    }

    std::string temp;
    int fd = -1;
    int error = 0;
    for (int attempt = 0; attempt < kTempNameAttempts && fd < 0; ++attempt) {
        temp = target + FormatText(".%ld-%d.tmp", static_cast<long>(getpid()), attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = errno;
        if (fd < 0 && error != EEXIST) break;
    }
    if (fd < 0) return Fail(failure, FileReplaceFailure::kCreate, error);
    // Best effort: a file system without permission bits still takes the text.
    if (existed) (void)fchmod(fd, old.st_mode & 07777);

    error = 0;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0 && error == 0) {
        const long n = write ? write(fd, data, left) : static_cast<long>(::write(fd, data, left));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno != 0 ? errno : EIO;
        } else if (n == 0 || static_cast<std::size_t>(n) > left) {
            error = EIO;  // a write that makes no progress, or claims more than it was given
        } else {
            data += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return Fail(failure, FileReplaceFailure::kWrite, error);
    }
    return true;
}

}  // namespace ondela
