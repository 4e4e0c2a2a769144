// Reading a filter file's text: the one reader of Load and of the commands that take a file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ondela {

struct FilterFileText {
    enum Outcome {
        kRead,      // text holds the file, followed by zeros
        kNoOpen,    // the file cannot be opened (error tells why; EISDIR for a directory)
        kTooLarge,  // the file holds more than the limit
        kNoRead,    // reading failed part way
    };
    Outcome outcome = kNoOpen;
    int error = 0;           // errno of a failed open
    std::size_t size = 0;    // bytes read
    std::vector<char> text;  // limit + 1 bytes; the file's bytes from the start
};

// A path the file routines can use as it is: not longer than the workspace keeps (520 bytes; a
// cut path would name some other file) and without an embedded zero.
bool UsableFilePath(const std::string& path);

// Reads at most limit bytes of path, to the end rather than trusting the size the file reports
// (a pipe or a process's output reports none); one byte beyond the limit tells that it is too
// large. A path that is not usable is not opened (ENAMETOOLONG).
FilterFileText ReadFilterFileText(const std::string& path, std::size_t limit);

}  // namespace ondela
