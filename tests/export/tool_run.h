// Runs an external tool (GHDL, Icarus Verilog, gcc, Python) in a directory and collects what it
// wrote, for tests whose oracle is that tool. A tool that is not installed ends with status 127
// and says so on its error stream; scripts/setup installs every tool these tests use.
#pragma once

#include <string>
#include <vector>

namespace ondela::testing {

struct ToolRun {
    int exitCode = -1;  // 128 + the signal number when it was killed by a signal
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up in PATH) with the arguments in directory dir.
ToolRun RunTool(const std::vector<std::string>& argv, const std::string& dir);

// A new directory under /tmp, removed with its contents when the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace ondela::testing
