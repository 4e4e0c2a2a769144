// Descriptions read from a pipe (standard input named /dev/stdin, and a shell's process
// substitution), and results written to standard output with "--output -". Each command line
// runs under bash, as a user types it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

namespace ondela {
namespace {

using testing::TempDir;

struct ShellRun {
    int exitCode = -1;
    std::string out;
};

// Runs a bash command line in dir; "CLI" in it stands for the built ondela-cli.
ShellRun RunShell(const std::string& dir, std::string line) {
    for (std::size_t at; (at = line.find("CLI")) != std::string::npos;)
        line.replace(at, 3, std::string("'") + ONDELA_CLI_PATH + "'");
    const std::string command = "cd '" + dir + "' && bash -c \"" + line + "\" 2>/dev/null";
    ShellRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(PipeInput, AnalysePlotAndResponseReadADescriptionFromAPipe) {
    const TempDir dir;
    const std::string file = std::string(ONDELA_TEST_DATA_DIR) + "/lowpass_flt64.txt";
    // Each command's output from the regular file; the same must come through a pipe.
    const std::vector<std::string> commands = {
        "CLI analyse %s",
        "CLI response %s --points 64",
        "CLI plot %s --output -",
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const auto with = [&command](const std::string& source) {
            std::string line = command;
            line.replace(line.find("%s"), 2, source);
            return line;
        };
        const ShellRun direct = RunShell(dir.Path(), with("'" + file + "'"));
        ASSERT_EQ(direct.exitCode, 0);
        ASSERT_FALSE(direct.out.empty());
        const std::vector<std::string> piped = {
            "cat '" + file + "' | " + with("/dev/stdin"),
            with("<(cat '" + file + "')"),
        };
        for (const std::string& line : piped) {
            SCOPED_TRACE(line);
            const ShellRun run = RunShell(dir.Path(), line);
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_EQ(run.out, direct.out);
        }
    }
    // The picture really is one.
    const ShellRun picture =
        RunShell(dir.Path(), "cat '" + file + "' | CLI plot /dev/stdin --output -");
    EXPECT_EQ(picture.out.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(PipeInput, OneByteMoreThanAFilterFileIsRefusedFromAPipe) {
    const TempDir dir;
    const std::string file = std::string(ONDELA_TEST_DATA_DIR) + "/lowpass_flt64.txt";
    // 261888 bytes: the file followed by blanks; then one blank more.
    const std::string pad = "{ cat '" + file + "'; head -c $((261888 - $(wc -c < '" + file +
                            "'))) /dev/zero | tr '\\\\0' ' '; }";
    EXPECT_EQ(RunShell(dir.Path(), pad + " | CLI analyse /dev/stdin").exitCode, 0);
    const ShellRun tooLarge =
        RunShell(dir.Path(), "{ " + pad + "; echo; } | CLI analyse /dev/stdin 2>&1");
    EXPECT_EQ(tooLarge.exitCode, 1);
    EXPECT_NE(tooLarge.out.find("Sorry, this file is too large !"), std::string::npos);
}

TEST(DashOutput, DescriptionGoesToStandardOutputAndNoFileIsMade) {
    const TempDir dir;
    const std::string file = std::string(ONDELA_TEST_DATA_DIR) + "/lowpass_flt64.txt";
    const ShellRun design = RunShell(
        dir.Path(),
        "CLI design --type lowpass --fs 48000 --f1 8000 --att 60 --ripple 0.5 --max-coefs 63 "
        "--output -");
    EXPECT_EQ(design.exitCode, 0);
    EXPECT_NE(design.out.find("m_firCoefs[NBCOEFS]"), std::string::npos);
    const ShellRun analyse = RunShell(dir.Path(), "CLI analyse '" + file + "' --output -");
    EXPECT_EQ(analyse.exitCode, 0);
    EXPECT_NE(analyse.out.find("m_firCoefs[NBCOEFS]"), std::string::npos);
    EXPECT_TRUE(dir.Entries().empty());
}

}  // namespace
}  // namespace ondela
