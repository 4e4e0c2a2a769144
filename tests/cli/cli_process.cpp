#include "tests/cli/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace ondela::testing {

namespace {

std::string NameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& set) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& s : set) replaced = replaced || NameOf(s) == NameOf(entry);
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), set.begin(), set.end());
    return env;
}

}  // namespace

std::vector<std::string> CliRun::ErrLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

CliRun RunCli(const std::vector<std::string>& args, const CliEnvironment& environment) {
    CliRun run;
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return run;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (environment.stdoutPath.empty()) {
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, environment.stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    for (const int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }

    std::vector<std::string> argStrings = {ONDELA_CLI_PATH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = ChildEnvironment(environment.set);
    std::vector<char*> envp;
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    // The child inherits the file size limit and an ignored SIGXFSZ; both are restored here
    // at once.
    rlimit previousLimit{};
    struct sigaction previousAction {};
    const bool limited = environment.fileSizeLimit >= 0;
    if (limited) {
        getrlimit(RLIMIT_FSIZE, &previousLimit);
        rlimit limit = previousLimit;
        limit.rlim_cur = static_cast<rlim_t>(environment.fileSizeLimit);
        setrlimit(RLIMIT_FSIZE, &limit);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &previousAction);
    }
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, ONDELA_CLI_PATH, &actions, nullptr, argv.data(), envp.data());
    if (limited) {
        setrlimit(RLIMIT_FSIZE, &previousLimit);
        sigaction(SIGXFSZ, &previousAction, nullptr);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        run.err = std::string("spawn failed: ") + std::strerror(spawned);
        return run;
    }

    // Both streams are read together so that a child filling one pipe never blocks.
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }

    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.exitCode = 128 + WTERMSIG(status);
    }
    return run;
}

std::vector<std::string> WithOption(const std::vector<std::string>& args, std::size_t first,
                                    const std::string& option, const char* value) {
    std::vector<std::string> out(args.begin(), args.begin() + static_cast<long>(first));
    bool found = false;
    for (std::size_t i = first; i + 1 < args.size(); i += 2) {
        found = found || args[i] == option;
        if (args[i] != option) {
            out.push_back(args[i]);
            out.push_back(args[i + 1]);
        } else if (value != nullptr) {
            out.push_back(option);
            out.push_back(value);
        }
    }
    if (!found && value != nullptr) {
        out.push_back(option);
        out.push_back(value);
    }
    return out;
}

std::string AfterFirstLine(const std::string& text) {
    const std::size_t end = text.find('\n');
    return end == std::string::npos ? std::string() : text.substr(end + 1);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/ondela_cli_test_XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_path))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ondela::testing
