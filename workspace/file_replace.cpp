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
constexpr int kLinkHops = 40;  // as many links in a row as the system itself follows

bool Fail(FileReplaceFailure* failure, FileReplaceFailure::Stage stage, int error) {
    if (failure) *failure = {stage, error};
    return false;
}

// Writes every byte through fd; 0, or the error number of the step that failed.
int WriteAll(int fd, std::string_view bytes, const FileWriteStep& write) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        errno = 0;
        const long n = write ? write(fd, data, left) : static_cast<long>(::write(fd, data, left));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno != 0 ? errno : EIO;
        // A write that makes no progress, or claims more than it was given.
        if (n == 0 || static_cast<std::size_t>(n) > left) return EIO;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// The file a chain of symbolic links ends at (the path itself when it is no link); the last
// name may not exist yet (a dangling link names the file to create). false with the error
// number when a link cannot be read or the chain does not end.
bool ResolveLinks(std::string& path, int& error) {
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        if (hops == kLinkHops) {
            error = ELOOP;
            return false;
        }
        std::error_code ec;
        const std::filesystem::path link = std::filesystem::read_symlink(path, ec);
        if (ec) {
            error = ec.value();
            return false;
        }
        path =
            (link.is_absolute() ? link : std::filesystem::path(path).parent_path() / link).string();
    }
}

// A target that is no regular file (a device, a FIFO, a terminal, a socket) takes the bytes
// directly: renaming over it would put a plain file in its place.
bool WriteDirectly(const std::string& path, std::string_view bytes, FileReplaceFailure* failure,
                   const FileWriteStep& write) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Fail(failure, FileReplaceFailure::kCreate, errno);
    int error = WriteAll(fd, bytes, write);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) return Fail(failure, FileReplaceFailure::kWrite, error);
    return true;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         FileReplaceFailure* failure, const FileWriteStep& write) {
    if (path.empty()) return Fail(failure, FileReplaceFailure::kCreate, ENOENT);

    struct stat old {};
    const bool existed = stat(path.c_str(), &old) == 0;
    // A directory cannot be replaced by a file, nor can a file the user may not write.
    if (existed && S_ISDIR(old.st_mode)) return Fail(failure, FileReplaceFailure::kCreate, EISDIR);
    if (existed && access(path.c_str(), W_OK) != 0) {
        return Fail(failure, FileReplaceFailure::kCreate, errno);
    }
    if (existed && !S_ISREG(old.st_mode)) return WriteDirectly(path, bytes, failure, write);

    // A link stays a link: the file it names is the one replaced (or created, when it names
    // none yet), and the new file is written beside that one, on the same file system.
    std::string target = path;
    int error = 0;
    if (!ResolveLinks(target, error)) return Fail(failure, FileReplaceFailure::kCreate, error);
    const std::filesystem::path dir = std::filesystem::path(target).parent_path();

    // A short name of its own, so that the new file can be made beside a file of any name.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < kTempNameAttempts && fd < 0; ++attempt) {
        const std::string name =
            FormatText(".ondela-%ld-%d.tmp", static_cast<long>(getpid()), attempt);
        temp = (dir / name).string();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = errno;
        if (fd < 0 && error != EEXIST) break;
    }
    if (fd < 0) return Fail(failure, FileReplaceFailure::kCreate, error);
    if (existed) {
        // Best effort: the owner can be kept only with the right to give files away, and a file
        // system without permission bits still takes the text. The owner goes first, since a
        // change of owner clears the set-user and set-group bits.
        (void)fchown(fd, old.st_uid, old.st_gid);
        (void)fchmod(fd, old.st_mode & 07777);
    }

    error = WriteAll(fd, bytes, write);
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
