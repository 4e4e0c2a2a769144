#include "cli/cli_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "numbers/number_text.h"
#include "workspace/c_util.h"

namespace ondela::cli {

namespace {

// The window's fields read at most this many characters of a value.
constexpr std::size_t kFieldTextLimit = 32;

bool OnlyBlanks(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0';
}

// Writes bytes into a new file beside target and renames it over target once every byte is
// on disk. Every write is checked: a file system that takes only part of the text (full, or
// over a size limit) makes the whole operation fail, and the temporary file is removed, so
// target is either the complete new text or what it was before. A target that is a symbolic
// link is followed, so the link stays in place. false with the reason when it failed.
bool ReplaceFile(std::string target, const std::string& bytes, std::string& reason) {
    struct stat st {};
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = realpath(target.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    mode_t mode = 0;
    if (stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            reason = std::strerror(EISDIR);
            return false;
        }
        mode = st.st_mode & 07777;  // a replaced file keeps its permissions
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;  // as a newly created file gets them
    }

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = (slash == std::string::npos ? "" : dir) + "." + name + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }

    int error = 0;
    std::size_t done = 0;
    while (done < bytes.size() && error == 0) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            error = errno;
        } else if (n == 0) {
            error = EIO;
        }
    }
    if (error == 0 && fchmod(fd, mode) != 0) error = errno;
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(temp.c_str());
        reason = std::strerror(error);
        return false;
    }
    return true;
}

}  // namespace

void PrintLine(std::FILE* stream, std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

std::optional<double> ReadFieldValue(const std::string& text) {
    // The same characters the field reading converts, with the decimal comma made a point: when
    // they begin with no number, the field would silently read 0.
    std::string head = text.substr(0, kFieldTextLimit);
    for (char& c : head)
        if (c == ',') c = '.';
    if (!ReadDouble(head.c_str())) return std::nullopt;
    const CUtil util;
    return util.ParseFrequency(text.c_str());
}

std::optional<int> ReadWholeInt(const std::string& text) {
    const auto read = ReadInt(text.c_str());
    if (!read || !OnlyBlanks(text.c_str() + read->end)) return std::nullopt;
    return static_cast<int>(read->value);
}

std::optional<std::vector<double>> ReadNumberList(const std::string& text) {
    std::vector<double> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const auto read = ReadDouble(item.c_str());
        if (!read || !OnlyBlanks(item.c_str() + read->end)) return std::nullopt;
        values.push_back(read->value);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return values;
}

std::string HelpText(const QCommandLineParser& parser, const std::string& usage) {
    std::string text = Utf8(parser.helpText());
    const std::size_t firstEnd = text.find('\n');
    return "Usage: " + usage + (firstEnd == std::string::npos ? "\n" : text.substr(firstEnd));
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

int WriteResult(const std::string& bytes, const QString& path, const Console& console) {
    if (path.isEmpty()) {
        const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), console.out);
        if (written != bytes.size() || std::fflush(console.out) != 0 || std::ferror(console.out)) {
            PrintLine(console.err, "ondela-cli: cannot write to standard output");
            return kExitNoFilter;
        }
        return kExitFilter;
    }

    std::string reason;
    if (!ReplaceFile(QFile::encodeName(path).toStdString(), bytes, reason)) {
        PrintLine(console.err, "ondela-cli: cannot write " + Utf8(path) + ": " + reason);
        return kExitNoFilter;
    }
    return kExitFilter;
}

}  // namespace ondela::cli
