// Runs the built ondela-cli as a child process and collects what it wrote and how it ended.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ondela::testing {

struct CliRun {
    int exitCode = -1;  // 128 + the signal number when it was killed by a signal
    std::string out;
    std::string err;

    // The lines of the error stream, without their line ends.
    std::vector<std::string> ErrLines() const;
};

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

// The content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Writes text into a file, replacing it.
void WriteFile(const std::string& path, const std::string& text);

// A new directory under /tmp, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // The path of name inside the directory.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    // The names of the directory's entries, sorted.
    std::vector<std::string> Entries() const;

  private:
    std::string m_path;
};

}  // namespace ondela::testing
