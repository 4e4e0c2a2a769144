#include "cli/cli_support.h"

#include <QSaveFile>
#include <cctype>

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

    // QSaveFile writes into a temporary file in the same directory and renames it over the
    // target on commit; a failure before that removes the temporary file.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        ok = file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
             static_cast<qint64>(bytes.size());
        if (ok) ok = file.commit();
    }
    if (!ok) {
        const std::string reason = Utf8(file.errorString());
        if (file.isOpen()) file.cancelWriting();
        PrintLine(console.err, "ondela-cli: cannot write " + Utf8(path) + ": " + reason);
        return kExitNoFilter;
    }
    return kExitFilter;
}

}  // namespace ondela::cli
