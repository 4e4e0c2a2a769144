#include "cli/cli_command.h"

#include "numbers/number_text.h"

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

void CliCommand::AddFixedPointOptions(QCommandLineParser& parser,
                                      const QString& wordBitsDescription, bool optimised) {
    m_takesOptimised = optimised;
    parser.addOption({"word-bits", wordBitsDescription, "W"});
    parser.addOption({"frac-bits",
                      "The fraction bits F, -64 to 128: integer q stands for q / 2^F. "
                      "Default: the largest F that keeps every coefficient inside the word.",
                      "F"});
    QString rounding =
        "nearest: to the nearest integer, ties away from zero (default); floor: "
        "toward minus infinity, as dropping the low bits of two's complement "
        "does.";
    if (optimised) {
        rounding +=
            " optimised: the words chosen together for the smallest weighted error over the "
            "bands that the search finds, never larger than that of nearest (the fraction bits "
            "as for nearest).";
    }
    parser.addOption({"rounding", rounding, "MODE"});
}

bool CliCommand::ReadFixedPointOptions(const QCommandLineParser& parser) {
    if (!parser.isSet("word-bits")) {
        if (parser.isSet("frac-bits") || parser.isSet("rounding")) {
            return UsageError("--frac-bits and --rounding need --word-bits W");
        }
        return true;
    }
    FixedPointRequest request;
    const std::string wordText = Utf8(parser.value("word-bits").trimmed());
    const auto w = ReadWholeInt(wordText);
    if (!w) return UsageError("--word-bits: '" + wordText + "' is not a whole number");
    // The number as typed: the reader caps a huge one, which the user never wrote.
    if (*w < kMinWordBits || *w > kMaxWordBits) {
        return UsageError(FormatText("--word-bits: %s is outside %d to %d", wordText.c_str(),
                                     kMinWordBits, kMaxWordBits));
    }
    request.wordBits = *w;
    if (parser.isSet("frac-bits")) {
        const std::string fracText = Utf8(parser.value("frac-bits").trimmed());
        const auto f = ReadWholeInt(fracText);
        if (!f) return UsageError("--frac-bits: '" + fracText + "' is not a whole number");
        if (*f < kMinFracBits || *f > kMaxFracBits) {
            return UsageError(FormatText("--frac-bits: %s is outside %d to %d", fracText.c_str(),
                                         kMinFracBits, kMaxFracBits));
        }
        request.fracBits = *f;
    }
    if (parser.isSet("rounding")) {
        const std::string mode = Utf8(parser.value("rounding"));
        if (mode == "nearest") {
            request.rounding = Rounding::Nearest;
        } else if (mode == "floor") {
            request.rounding = Rounding::Floor;
        } else if (mode == "optimised" && m_takesOptimised) {
            request.rounding = Rounding::Nearest;
            optimisedWords = true;
        } else if (m_takesOptimised) {
            return UsageError("--rounding: unknown mode '" + mode +
                              "' (nearest, floor or optimised)");
        } else {
            return UsageError("--rounding: unknown mode '" + mode + "' (nearest or floor)");
        }
    }
    const std::string problem = FixedPointProblem(request);
    if (!problem.empty()) return UsageError(problem);
    fixedPoint = request;
    return true;
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
