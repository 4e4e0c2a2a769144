#include "cli/cli_command.h"

namespace ondela::cli {

CliCommand::CliCommand(std::string name, std::string usage)
    : m_name(std::move(name)), m_usage(std::move(usage)) {}

int CliCommand::Main(const QStringList& arguments, const Console& console) {
    m_console = &console;
    QCommandLineParser parser;
    parser.addOption({{"h", "help"}, "Shows this help."});
    AddOptions(parser);
    int exitCode = kExitUsage;
    const auto positional =
        ParseCommandArguments(parser, arguments, m_name, m_usage, m_takesFile, console, exitCode);
    if (!positional) return exitCode;
    if (m_takesFile) file = positional->first();
    // The file's name and where the result goes first, the coefficient format last.
    if (!ReadOutputOptions(parser) || !ReadOptions(parser) || !ReadFormatOption(parser)) {
        return kExitUsage;
    }
    return Run();
}

void CliCommand::AddFileArgument(QCommandLineParser& parser) {
    m_takesFile = true;
    parser.addPositionalArgument("FILE", "The filter file (a description text).");
}

void CliCommand::AddOutputOption(QCommandLineParser& parser, const QString& description,
                                 const QString& valueName) {
    m_hasOutput = true;
    parser.addOption({"output", description, valueName});
}

void CliCommand::AddJsonOption(QCommandLineParser& parser, const QString& description) {
    m_hasJson = true;
    parser.addOption({"json", description});
}

void CliCommand::AddFormatOption(QCommandLineParser& parser, const QString& description) {
    m_hasFormat = true;
    parser.addOption({"format", description, "FORMAT"});
}

bool CliCommand::UsageError(const std::string& what) const {
    PrintLine(m_console->err, Prefix() + what);
    return false;
}

bool CliCommand::ReadOutputOptions(const QCommandLineParser& parser) {
    if (m_hasOutput && parser.isSet("output")) {
        output = parser.value("output");
        if (output.isEmpty()) return UsageError("--output: the file name is empty");
    }
    json = m_hasJson && parser.isSet("json");
    return true;
}

bool CliCommand::ReadFormatOption(const QCommandLineParser& parser) {
    if (!m_hasFormat || !parser.isSet("format")) return true;
    const std::string word = Utf8(parser.value("format"));
    format = CoefFormatFromWord(word);
    if (format) return true;
    return UsageError("--format: unknown coefficient format '" + word +
                      "' (flt64, flt32, int32 or int16)");
}

}  // namespace ondela::cli
