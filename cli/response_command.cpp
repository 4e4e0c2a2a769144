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
#include "cli/cli_ports.h"
#include "engine/filter_spec.h"
#include "engine/response.h"
#include "export/fixed_point.h"
#include "numbers/number_text.h"
#include "workspace/description_reader.h"
#include "workspace/export_summary.h"
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
        "Loads a filter file as the designer window's Load button does (designed again\n"
        "from a complete specification, values it lacks completed as the window's fields\n"
        "complete them; a file of coefficients only measured as it stands) and prints\n"
        "the magnitude response of the resulting filter. For a file the program saved\n"
        "that is the response of its stored coefficients. Load's messages go to standard\n"
        "error, one line each.\n"
        "\n"
        "One line \"frequency_hz,level_db\" for each of N frequencies evenly spaced from\n"
        "0 up to, not including, half the sampling frequency: f(i) = i * fs / (2 N),\n"
        "i = 0 .. N-1. The frequency is written with 10 significant digits (\"%.10g\"),\n"
        "the level in dB with 6 decimals (\"%.6f\"); a magnitude below 1e-12 reads\n"
        "-240 dB. The sampling frequency is the filter's; the coefficients are taken\n"
        "in the format Load gives the file (the one its numbers are written in), or in\n"
        "--format, or quantised to a signed fixed-point word with --word-bits: each\n"
        "coefficient c becomes q / 2^F with q = c * 2^F rounded and held within the\n"
        "word (a warning on standard error counts the coefficients saturated there).\n"
        "\n"
        "Exit status: 0 the response was written; 1 the file gave no filter (not\n"
        "readable, not a filter description, no usable data, coefficients without a\n"
        "sampling frequency, an invalid specification or a design that is not\n"
        "possible: Load's message says which; or coefficients that are no measurable\n"
        "filter in the format asked for:\n"
        "a value that is not a finite number in the format, or magnitudes so large\n"
        "that the response overflows, or so small that it lies below -240 dB\n"
        "everywhere; then \"Sorry, no valid filter coefs in this file.\"), or the\n"
        "output could not be written; 2 usage error.");
    parser.addOption({"points", "Number of frequencies, 1 to 1000000 (default 1024).", "N"});
    AddFormatOption(parser,
                    "Coefficient format in which the filter's coefficients are evaluated: "
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

    // The window's Load of the file named on the command line; its messages say why it gave no
    // filter.
    CliDesigner designer(console.err);
    FilterWorkspace& ws = *designer.ws;
    designer.window.SelectCoefFormat(designer.StartupCoefFormat());
    const LoadOutcome load = ws.LoadFilterFile(QFile::encodeName(request->file).toStdString());
    if (!ws.Current().valid) return kExitNoFilter;
    if (MeasuredWithoutRate(ws, load)) {
        return FileError(console, request->file,
                         "no sampling frequency (\"fs = ...\" in the header)");
    }
    const std::span<const double> taps = ws.Current().Taps();
    const int n = static_cast<int>(taps.size());
    std::array<double, kCoefArraySize> coefs{};
    std::copy(taps.begin(), taps.end(), coefs.begin());
    const FilterSpec spec = ws.Current().achieved;
    const int fileFormat = ws.Current().format;

    int format = request->format >= 0 ? request->format : fileFormat;
    if (fixedPoint) {
        // The words' values, exactly, evaluated in double precision.
        const TapsInWords words = QuantiseTaps(
            std::span<const double>(coefs.data(), static_cast<std::size_t>(n)), *fixedPoint);
        std::copy(words.values.begin(), words.values.end(), coefs.begin());
        format = FLT64;
        if (words.words.saturated > 0)
            PrintLine(console.err, "ondela-cli response: " + SaturationText(words.words));
    }
    if (!CoefsMeasurable(coefs.data(), n, format)) {
        return FileError(console, request->file, kNoValidCoefsMessage);
    }
    const double nyquist = spec.fs / 2.0;
    std::string out;
    out.reserve(static_cast<std::size_t>(request->points) * 32);
    for (int i = 0; i < request->points; ++i) {
        const double x = static_cast<double>(i) / request->points;  // fraction of fs/2
        const double magnitude = MagnitudeAt(coefs.data(), n, x, format);
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
