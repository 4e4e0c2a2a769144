// Runs a program as a child process and collects what it wrote and how it ended, for tests whose
// oracle is a real executable (the built ondela-cli, GHDL, a compiler, Python); and the temporary
// folders and whole-file reads and writes such tests need.
#pragma once

#include <string>
#include <vector>

namespace ondela::testing {

struct ChildRun {
    int exitCode = -1;  // 128 + the signal number when it was killed by a signal
    std::string out;
    std::string err;

    // The lines of the error stream, without their line ends.
    std::vector<std::string> ErrLines() const;
};

struct ChildOptions {
    std::string dir;               // when not empty, the child's working folder
    std::vector<std::string> env;  // "NAME=value" entries that replace or add to the environment
    std::string stdoutPath;        // when not empty, standard output goes to this file
    long fileSizeLimit = -1;       // when not negative, the largest file the child may write;
                                   // a write beyond it fails (EFBIG) instead of killing it
};

// Runs argv[0] (a path, or a name looked up in PATH) with standard input empty. A program that
// cannot be started ends with status 127 and a line on the error stream that says so.
ChildRun RunChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

// A new folder under /tmp, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // The path of name inside the folder.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    // The names of the folder's entries, sorted.
    std::vector<std::string> Entries() const;

  private:
    std::string m_path;
};

// The bytes of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes bytes into a file, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);
// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace ondela::testing
