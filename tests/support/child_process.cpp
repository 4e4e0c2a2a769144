#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
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

std::string NotStarted(const std::string& program) {
    return program + " could not be started (not installed? scripts/setup installs it)\n";
}

}  // namespace

std::vector<std::string> ChildRun::ErrLines() const {
    return Lines(err);
}

ChildRun RunChild(const std::vector<std::string>& args, const ChildOptions& options) {
    ChildRun run;
    int outPipe[2];
    int errPipe[2];
    if (args.empty() || pipe(outPipe) != 0) return run;
    if (pipe(errPipe) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return run;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (options.stdoutPath.empty()) {
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, options.stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    for (const int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    if (!options.dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.dir.c_str());

    std::vector<std::string> argStrings = args;
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = ChildEnvironment(options.env);
    std::vector<char*> envp;
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    // The child inherits the file size limit and an ignored SIGXFSZ; both are restored here
    // at once.
    rlimit previousLimit{};
    struct sigaction previousAction {};
    const bool limited = options.fileSizeLimit >= 0;
    if (limited) {
        getrlimit(RLIMIT_FSIZE, &previousLimit);
        rlimit limit = previousLimit;
        limit.rlim_cur = static_cast<rlim_t>(options.fileSizeLimit);
        setrlimit(RLIMIT_FSIZE, &limit);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &previousAction);
    }
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
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
        run.exitCode = 127;
        run.err = NotStarted(args[0]);
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
        // A program that the child could not execute ends with status 127 and says nothing.
        if (run.exitCode == 127 && run.err.empty()) run.err = NotStarted(args[0]);
    } else if (WIFSIGNALED(status)) {
        run.exitCode = 128 + WTERMSIG(status);
    }
    return run;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/ondela_test_XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot create a temporary folder");
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

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace ondela::testing
