// The command line's side of a long search: its progress on standard error, nothing during the
// command's first second, then a line about once a second, none of them a message of the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "cli/cli_ports.h"

namespace ondela {
namespace {

std::string Written(std::FILE* f) {
    std::rewind(f);
    std::string text;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) text += static_cast<char>(c);
    return text;
}

TEST(CliProgress, ALongSearchStatesItsProgressAboutOnceASecond) {
    std::FILE* err = std::tmpfile();
    ASSERT_NE(err, nullptr);
    double now = 50.0;  // the command starts
    cli::CliDialogs dialogs(err, [&] { return now; });
    const std::pair<double, const char*> reports[] = {
        {50.3, "0.3 s"}, {50.6, "0.6 s"}, {51.1, "1.1 s"}, {51.5, "1.5 s"}, {52.2, "2.2 s"}};
    for (const auto& [at, text] : reports) {
        now = at;
        EXPECT_TRUE(dialogs.BusyProgress(text));  // nothing cancels a search here
    }
    EXPECT_EQ(Written(err), "1.1 s\n2.2 s\n");
    EXPECT_TRUE(dialogs.Messages().empty());
    std::fclose(err);
}

}  // namespace
}  // namespace ondela
