// Replacing the contents of a file so that it is never left half written: the new bytes go into a
// new file beside it (under a short name of its own), which is flushed to disk and then renamed
// over it. Until the rename the old file stays as it was; after it the file holds every new byte.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ondela {

// Writes bytes into an open file: how many it wrote, or -1 with errno set, as POSIX write does.
using FileWriteStep = std::function<long(int fd, const char* data, std::size_t size)>;

// Why a replacement failed.
struct FileReplaceFailure {
    enum Stage {
        kCreate,  // the new file could not be created (or the target cannot be replaced)
        kWrite,   // it could not be completely written, flushed or renamed into place
    };
    Stage stage = kCreate;
    int error = 0;  // the system error number
};

// Replaces the contents of the file at path with bytes, creating it when there is none. A path
// that is a symbolic link stays a link: the file it names is replaced (or created, when the link
// names none yet). An existing target that is not a regular file (a device, a FIFO, a terminal)
// is written directly and never replaced. A replaced file keeps its permissions, and its owner
// where the process may set it; a new one gets those a newly created file gets. A directory, or
// a file the user may not write, is not replaced. Every write is checked: a file system that
// takes only part of the bytes (full, or over a size limit) fails the whole replacement, the new
// file is removed and the old one is left as it was. write is the step that writes the bytes
// (POSIX write when empty). true when written; otherwise false, with the reason in failure when
// it is given.
bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         FileReplaceFailure* failure = nullptr, const FileWriteStep& write = {});

}  // namespace ondela
