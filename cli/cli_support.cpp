#include "cli/cli_support.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/display_numbers.h"
#include "workspace/file_replace.h"

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
    // A message that ends with a line break ends the line there.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
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
    return ParseFrequency(text.c_str());
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

std::optional<int> CoefFormatFromWord(const std::string& word) {
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    const std::string w = lower(word);
    for (int f = FLT64; f <= INT16; ++f) {
        if (w == lower(CoefFormatName(f))) return f;
    }
    return std::nullopt;
}

std::string HelpText(const QCommandLineParser& parser, const std::string& usage) {
    std::string text = Utf8(parser.helpText());
    const std::size_t firstEnd = text.find('\n');
    return "Usage: " + usage + (firstEnd == std::string::npos ? "\n" : text.substr(firstEnd));
}

std::optional<QStringList> ParseCommandArguments(QCommandLineParser& parser,
                                                 const QStringList& arguments,
                                                 const std::string& command,
                                                 const std::string& usage, bool takesFile,
                                                 const Console& console, int& exitCode) {
    exitCode = kExitUsage;
    auto usageError = [&](const std::string& what) {
        PrintLine(console.err, "ondela-cli " + command + ": " + what);
        return std::nullopt;
    };
    if (!parser.parse(arguments)) return usageError(Utf8(parser.errorText()));
    if (parser.isSet("help")) {
        const std::string help = HelpText(parser, usage);
        std::fwrite(help.data(), 1, help.size(), console.out);
        std::fflush(console.out);
        exitCode = kExitFilter;
        return std::nullopt;
    }
    const QStringList positional = parser.positionalArguments();
    if (takesFile) {
        if (positional.isEmpty()) return usageError("no filter file given");
        if (positional.first().isEmpty()) return usageError("the file name is empty");
    }
    const qsizetype allowed = takesFile ? 1 : 0;
    if (positional.size() > allowed) {
        return usageError("unexpected argument '" + Utf8(positional[allowed]) + "'");
    }
    return positional;
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

int WriteResult(const std::string& bytes, const QString& path, const Console& console,
                std::string* failure) {
    const auto fail = [&](const std::string& why) {
        PrintLine(console.err, why);
        if (failure != nullptr) *failure = why;
        return kExitNoFilter;
    };
    if (path.isEmpty() || path == QLatin1String("-")) {
        const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), console.out);
        if (written != bytes.size() || std::fflush(console.out) != 0 || std::ferror(console.out)) {
            return fail("ondela-cli: cannot write to standard output");
        }
        return kExitFilter;
    }

    FileReplaceFailure replace;
    if (!ReplaceFileContents(QFile::encodeName(path).toStdString(), bytes, &replace)) {
        return fail("ondela-cli: cannot write " + Utf8(path) + ": " + std::strerror(replace.error));
    }
    return kExitFilter;
}

}  // namespace ondela::cli
