#include "cli/response_command.h"

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "engine/filter_spec.h"
#include "engine/response.h"
#include "export/fixed_point.h"
#include "numbers/number_text.h"
#include "workspace/c_util.h"
#include "workspace/description_reader.h"
#include "workspace/filter_file_text.h"
#include "workspace/filter_workspace.h"
#include "workspace/measurable_coefs.h"

namespace ondela::cli {

namespace {

constexpr const char* kUsage =
    "ondela-cli response FILE [--points N] [--format FORMAT | --word-bits W [--frac-bits F] "
    "[--rounding nearest|floor]]";

// The lowest level printed: magnitudes below kMagnitudeFloor read -240 dB.
constexpr double kFloorDb = -240.0;

int FileError(const Console& console, const QString& file, const std::string& what) {
    PrintLine(console.err, "ondela-cli response: " + Utf8(file) + ": " + what);
    return kExitNoFilter;
}

class ResponseCommand : public CliCommand {
  public:
    ResponseCommand() : CliCommand("response", kUsage) {}

  private:
    void AddOptions(QCommandLineParser& parser) override;
    bool ReadOptions(const QCommandLineParser& parser) override;
    int Run() override;

    ResponseRequest request;
};

void ResponseCommand::AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Prints the magnitude response of the coefficients stored in a filter file, as\n"
        "they are: nothing is designed again, so this is a measurement of the file. (For\n"
        "the filter designed again from the file's specification, write that first with\n"
        "'ondela-cli analyse FILE --output FILE2'.)\n"
        "\n"
        "One line \"frequency_hz,level_db\" for each of N frequencies evenly spaced from\n"
        "0 up to, not including, half the sampling frequency: f(i) = i * fs / (2 N),\n"
        "i = 0 .. N-1. The frequency is written with 10 significant digits (\"%.10g\"),\n"
        "the level in dB with 6 decimals (\"%.6f\"); a magnitude below 1e-12 reads\n"
        "-240 dB. The sampling frequency is the \"fs\" of the file's header; the\n"
        "coefficients are taken in the format their numbers are written in, or in\n"
        "--format, or quantised to a signed fixed-point word with --word-bits: each\n"
        "coefficient c becomes q / 2^F with q = c * 2^F rounded and held within the\n"
        "word (a warning on standard error counts the coefficients saturated there).\n"
        "\n"
        "Exit status: 0 the response was written; 1 the file gave none (not readable,\n"
        "not a filter description, no coefficient array, no coefficients, no\n"
        "positive sampling frequency, or coefficients that are no measurable filter:\n"
        "a value that is not a finite number in the format, or magnitudes so large\n"
        "that the response overflows, or so small that it lies below -240 dB\n"
        "everywhere; then \"Sorry, no valid filter coefs in this file.\"), or the\n"
        "output could not be written; 2 usage error.");
    parser.addOption({"points", "Number of frequencies, 1 to 1000000 (default 1024).", "N"});
    AddFormatOption(parser,
                    "Coefficient format in which the stored coefficients are evaluated: "
                    "flt64, flt32, int32 or int16 (default: the format they are written in).");
    AddFixedPointOptions(parser,
                         "Evaluates the coefficients quantised to a signed word of W bits, 2 to "
                         "32, instead of in a coefficient format.");
    AddFileArgument(parser);
}

bool ResponseCommand::ReadOptions(const QCommandLineParser& parser) {
    request.file = file;
    if (parser.isSet("points")) {
        const std::string text = Utf8(parser.value("points"));
        const auto points = ReadWholeInt(text);
        if (!points) {
            UsageError("--points: '" + text + "' is not a whole number");
            return false;
        }
        if (*points < 1 || *points > kMaxResponsePoints) {
            UsageError("--points: " + text + " is outside 1 to 1000000");
            return false;
        }
        request.points = *points;
    }
    if (!ReadFixedPointOptions(parser)) return false;
    if (fixedPoint && parser.isSet("format")) {
        return UsageError("--format and --word-bits: give one coefficient format");
    }
    return true;
}

int ResponseCommand::Run() {
    const Console& console = this->console();
    this->request.format = format.value_or(-1);
    const ResponseRequest* request = &this->request;

    // The file as Load reads it: no larger than Load reads.
    const FilterFileText read = ReadFilterFileText(QFile::encodeName(request->file).toStdString(),
                                                   static_cast<std::size_t>(kFileSizeLimit));
    if (read.outcome == FilterFileText::kNoOpen) {
        return FileError(console, request->file, std::strerror(read.error));
    }
    if (read.outcome == FilterFileText::kNoRead) {
        return FileError(console, request->file, std::strerror(EIO));
    }
    if (read.outcome == FilterFileText::kTooLarge) {
        return FileError(console, request->file,
                         FormatText("larger than a filter file can be (%d bytes)", kFileSizeLimit));
    }
    const char* text = read.text.data();

    // The coefficients as stored, each the value its number stands for in the format it is
    // written in.
    std::array<double, kCoefArraySize> coefs{};
    int fileFormat = FLT64;
    const int n = ReadCoefList(text, coefs, fileFormat);
    if (n == -1) {
        return FileError(
            console, request->file,
            std::string("not a filter description (no \"") + kDescriptionMarker + "\" marker)");
    }
    if (n == -2) {
        return FileError(console, request->file,
                         std::string("no coefficient array (\"") + kCoefDeclaration + "\")");
    }
    if (n <= 0) {
        return FileError(console, request->file,
                         FormatText("no coefficients, or more than %d", kCoefArraySize));
    }
    FilterSpec spec;
    ParseDescription(text, spec, nullptr);
    if (!(spec.fs > 0.0) || !std::isfinite(spec.fs)) {
        return FileError(console, request->file,
                         "no sampling frequency (\"fs = ...\" in the header)");
    }

    int format = request->format >= 0 ? request->format : fileFormat;
    if (fixedPoint) {
        // The words' values, exactly, evaluated in double precision.
        const QuantisedCoefs words = Quantise(
            std::span<const double>(coefs.data(), static_cast<std::size_t>(n)), *fixedPoint);
        const std::vector<double> values = QuantisedValues(words);
        std::copy(values.begin(), values.end(), coefs.begin());
        format = FLT64;
        if (words.saturated > 0)
            PrintLine(console.err, "ondela-cli response: " + SaturationText(words));
    }
    if (!CoefsMeasurable(coefs.data(), n, format)) {
        return FileError(console, request->file, kNoValidCoefsMessage);
    }
    const double nyquist = spec.fs / 2.0;
    const CUtil util;
    std::string out;
    out.reserve(static_cast<std::size_t>(request->points) * 32);
    for (int i = 0; i < request->points; ++i) {
        const double x = static_cast<double>(i) / request->points;  // fraction of fs/2
        const double magnitude = util.ResponseMagnitude(coefs.data(), n, x, format);
        // Magnitudes below the floor (rounding residue of a zero of the response) read as it.
        const double level = magnitude < kMagnitudeFloor ? kFloorDb : 20.0 * std::log10(magnitude);
        out += FormatText("%.10g,%.6f\n", x * nyquist, level);
    }
    return WriteResult(out, QString(), console);
}

}  // namespace

int RunResponseCommand(const QStringList& arguments, const Console& console) {
    ResponseCommand command;
    return command.Main(arguments, console);
}

}  // namespace ondela::cli
