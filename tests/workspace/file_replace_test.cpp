// The replace-on-success writer over every kind of target: what ends up where, the old content
// intact whenever the write fails, and never a temporary file left behind.
#include "workspace/file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace ondela {
namespace {

namespace fs = std::filesystem;

const std::string kNew = "new text\r\nsecond line\r\n";
const std::string kOld = "old content";

class FileReplaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Searchable by every user, so that a test may also write as an unprivileged one.
        char name[] = "/tmp/ondela_file_replace_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        root = name;
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        // Root may replace anything, so a writer at fault would turn the system's own devices
        // into plain files: root writes to private device nodes of the same kind instead.
        fs::create_directory(root / "devices");
        nullDevice = Device("null", 3);
        fullDevice = Device("full", 7);
    }
    fs::path Device(const char* name, unsigned minor) {
        const fs::path own = root / "devices" / name;
        if (mknod(own.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0) return own;
        return fs::path("/dev") / name;
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(root, ec))
            if (entry.is_directory(ec)) fs::permissions(entry.path(), fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }

    static void Write(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }
    static std::set<std::string> Names(const fs::path& dir) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path root;
    fs::path nullDevice;  // a character device that takes every byte
    fs::path fullDevice;  // one that takes none: "no space left"
};

// A write step that takes a few bytes and then finds the disk full.
long FillsUp(int fd, const char* data, std::size_t size) {
    static thread_local int calls = 0;
    if (size == kNew.size()) calls = 0;
    if (calls++ == 0) return static_cast<long>(::write(fd, data, 3));
    errno = ENOSPC;
    return -1;
}

TEST_F(FileReplaceTest, EveryKindOfTarget) {
    const std::string longName(254, 'n');
    struct Case {
        const char* what;
        std::function<fs::path(const fs::path& dir)> make;  // builds the target, gives the path
        FileWriteStep write;
        bool written;
        FileReplaceFailure::Stage stage;
        int error;
        std::function<void(const fs::path& dir)> check;  // what ends up where
        std::set<std::string> names;                     // the folder's entries afterwards
    };
    const std::vector<Case> cases = {
        {"missing file",
         [](const fs::path& d) { return d / "f.txt"; },
         {},
         true,
         {},
         0,
         [](const fs::path& d) { EXPECT_EQ(Read(d / "f.txt"), kNew); },
         {"f.txt"}},
        {"regular file keeps its permissions",
         [](const fs::path& d) {
             Write(d / "f.txt", kOld);
             chmod((d / "f.txt").c_str(), 0640);
             return d / "f.txt";
         },
         {},
         true,
         {},
         0,
         [](const fs::path& d) {
             EXPECT_EQ(Read(d / "f.txt"), kNew);
             struct stat info {};
             ASSERT_EQ(stat((d / "f.txt").c_str(), &info), 0);
             EXPECT_EQ(info.st_mode & 07777, 0640u);
         },
         {"f.txt"}},
        {"disk full half-way",
         [](const fs::path& d) {
             Write(d / "f.txt", kOld);
             return d / "f.txt";
         },
         FillsUp,
         false,
         FileReplaceFailure::kWrite,
         ENOSPC,
         [](const fs::path& d) { EXPECT_EQ(Read(d / "f.txt"), kOld); },
         {"f.txt"}},
        {"directory",
         [](const fs::path& d) {
             fs::create_directory(d / "sub");
             return d / "sub";
         },
         {},
         false,
         FileReplaceFailure::kCreate,
         EISDIR,
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_directory(d / "sub"));
             EXPECT_TRUE(fs::is_empty(d / "sub"));
         },
         {"sub"}},
        {"link to a file: the file is replaced, the link stays",
         [](const fs::path& d) {
             fs::create_directory(d / "real");
             Write(d / "real" / "f.txt", kOld);
             fs::create_symlink("real/f.txt", d / "link.txt");
             return d / "link.txt";
         },
         {},
         true,
         {},
         0,
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "link.txt"));
             EXPECT_EQ(fs::read_symlink(d / "link.txt"), "real/f.txt");
             EXPECT_EQ(Read(d / "real" / "f.txt"), kNew);
             EXPECT_EQ(Names(d / "real"), std::set<std::string>{"f.txt"});
         },
         {"link.txt", "real"}},
        {"dangling link: the file it names is created",
         [](const fs::path& d) {
             fs::create_symlink("made.txt", d / "link.txt");
             return d / "link.txt";
         },
         {},
         true,
         {},
         0,
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "link.txt"));
             EXPECT_EQ(Read(d / "made.txt"), kNew);
         },
         {"link.txt", "made.txt"}},
        {"link to a null device: the device takes the text and stays a device",
         [this](const fs::path& d) {
             fs::create_symlink(nullDevice, d / "null");
             return d / "null";
         },
         {},
         true,
         {},
         0,
         [this](const fs::path& d) {
             EXPECT_TRUE(fs::is_character_file(nullDevice));
             EXPECT_TRUE(fs::is_symlink(d / "null"));
         },
         {"null"}},
        {"link to a full device: the write fails and it stays a device",
         [this](const fs::path& d) {
             fs::create_symlink(fullDevice, d / "full");
             return d / "full";
         },
         {},
         false,
         FileReplaceFailure::kWrite,
         ENOSPC,
         [this](const fs::path&) { EXPECT_TRUE(fs::is_character_file(fullDevice)); },
         {"full"}},
        {"254-character name",
         [&longName](const fs::path& d) {
             Write(d / longName, kOld);
             return d / longName;
         },
         {},
         true,
         {},
         0,
         [&longName](const fs::path& d) { EXPECT_EQ(Read(d / longName), kNew); },
         {longName}},
    };

    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path dir = root / std::to_string(index++);
        fs::create_directory(dir);
        const fs::path target = c.make(dir);
        FileReplaceFailure failure{FileReplaceFailure::kCreate, -1};
        EXPECT_EQ(ReplaceFileContents(target.string(), kNew, &failure, c.write), c.written);
        if (!c.written) {
            EXPECT_EQ(failure.stage, c.stage);
            EXPECT_EQ(failure.error, c.error);
        }
        c.check(dir);
        EXPECT_EQ(Names(dir), c.names);
    }
}

TEST_F(FileReplaceTest, FifoIsWrittenThroughAndStaysAFifo) {
    const fs::path fifo = root / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Read(fifo); });
    EXPECT_TRUE(ReplaceFileContents(fifo.string(), kNew));
    reader.join();
    EXPECT_EQ(received, kNew);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(Names(root), (std::set<std::string>{"devices", "pipe"}));
}

// The new file cannot be made in a folder the user may not write, so the old file stays. Root
// writes into any folder: then the write runs in a child process as the unprivileged "nobody".
TEST_F(FileReplaceTest, ReadOnlyFolderKeepsItsFile) {
    const fs::path dir = root / "locked";
    fs::create_directory(dir);
    Write(dir / "f.txt", kOld);
    chmod((dir / "f.txt").c_str(), 0666);
    chmod(dir.c_str(), 0555);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        FileReplaceFailure failure;
        const bool written = ReplaceFileContents((dir / "f.txt").string(), kNew, &failure);
        _exit(written
                  ? 1
                  : (failure.stage == FileReplaceFailure::kCreate && failure.error == EACCES ? 0
                                                                                             : 2));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "running as root without the right to drop it";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written, 2: another failure";
    EXPECT_EQ(Read(dir / "f.txt"), kOld);
    EXPECT_EQ(Names(dir), std::set<std::string>{"f.txt"});
}

}  // namespace
}  // namespace ondela
