// What the commands of the command-line designer share: exit statuses, reading the values typed
// on the command line, printing help and error lines, and writing a result to standard output or
// to a file that is replaced only by a complete result.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondela::cli {

// Exit statuses: a filter was produced (warnings included); none could be; the command line or
// the specification was unusable.
constexpr int kExitFilter = 0;
constexpr int kExitNoFilter = 1;
constexpr int kExitUsage = 2;

// Where a command writes: its result and its messages.
struct Console {
    std::FILE* out;
    std::FILE* err;
};

// Prints text as one line on stream. Line breaks inside the text become spaces and those at its
// end are dropped, so that every message stays one line.
void PrintLine(std::FILE* stream, std::string_view text);

// A value typed as in the window's frequency and level fields: a decimal comma is accepted and
// "kHz" anywhere multiplies by 1000. Unlike a field, text that holds no number at all (NaN and
// infinities included) is refused: nullopt.
std::optional<double> ReadFieldValue(const std::string& text);

// A whole integer: optional blanks and sign, digits, optional trailing blanks; nothing else.
std::optional<int> ReadWholeInt(const std::string& text);

// A comma-separated list of plain numbers ("0,0.2,0.25,0.5"); nullopt when an item is empty or
// is not a whole number.
std::optional<std::vector<double>> ReadNumberList(const std::string& text);

// A coefficient format named as on the command line: flt64, flt32, int32 or int16, in any letter
// case; nullopt for any other word.
std::optional<int> CoefFormatFromWord(const std::string& word);

// The parser's help text with its first line replaced by usage (the command as typed).
std::string HelpText(const QCommandLineParser& parser, const std::string& usage);

// Parses the arguments of one command whose options are already in parser. --help prints the
// help (exitCode kExitFilter); a parse error or a stray argument prints a usage line
// "ondela-cli COMMAND: ..." (exitCode kExitUsage). Both give nullopt. Otherwise the positional
// arguments: none, or with takesFile exactly one non-empty file name.
std::optional<QStringList> ParseCommandArguments(QCommandLineParser& parser,
                                                 const QStringList& arguments,
                                                 const std::string& command,
                                                 const std::string& usage, bool takesFile,
                                                 const Console& console, int& exitCode);

// The option values are UTF-8 text.
std::string Utf8(const QString& text);

// Writes bytes to the console's output when path is empty or "-", else to the file path. A file is
// replaced only once every byte was written (ReplaceFileContents), so a failed write never leaves a
// partial file in place of an existing one. kExitFilter when written; otherwise prints why on the
// error stream (and into failure, when given, for a report that follows) and returns
// kExitNoFilter.
int WriteResult(const std::string& bytes, const QString& path, const Console& console,
                std::string* failure = nullptr);

}  // namespace ondela::cli
