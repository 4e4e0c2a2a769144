#include "cli/design_command.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "cli/cli_command.h"
#include "cli/cli_ports.h"
#include "cli/filter_report.h"
#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/field_entries.h"
#include "workspace/filter_workspace.h"

namespace ondela::cli {

namespace {

constexpr const char* kUsage =
    "ondela-cli design --type TYPE --fs HZ --f1 HZ [--f2 HZ] --att DB\n"
    "           --ripple DB --max-coefs N [--format FORMAT] [--output FILE] [--json]";

// The half band's edge is fixed at a quarter of the sampling frequency; a typed edge is accepted
// when it differs from it by no more than this fraction of fs (a "kHz" form may be off by an
// ulp).
constexpr double kQuarterTolerance = 1e-9;

int UsageError(const Console& console, const std::string& what) {
    PrintLine(console.err, "ondela-cli design: " + what);
    return kExitUsage;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<FilterType> TypeFromWord(const std::string& word) {
    const std::string w = Lower(word);
    if (w == "lowpass") return LowPass;
    if (w == "highpass") return HighPass;
    if (w == "bandpass") return BandPass;
    if (w == "bandstop") return BandStop;
    if (w == "halfband") return HalfBand;
    return std::nullopt;
}

class DesignCommand : public CliCommand {
  public:
    DesignCommand() : CliCommand("design", kUsage) {}

  private:
    void AddOptions(QCommandLineParser& parser) override;
    bool ReadOptions(const QCommandLineParser& parser) override;
    int Run() override;

    DesignRequest request;
};

void DesignCommand::AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Designs an equiripple linear-phase FIR filter from a specification, as the\n"
        "designer window's Create button does, choosing the length itself within\n"
        "--max-coefs. Writes the filter description (header and C coefficient array,\n"
        "CR LF line ends, as Save writes it) or, with --json, a JSON report. Messages\n"
        "go to standard error, one line each.\n"
        "\n"
        "Frequencies and levels are read as the window's fields read them: a decimal\n"
        "comma and a \"kHz\" suffix are accepted (\"44,1 kHz\"), unit words such as\n"
        "\"Hz\" or \"dB\" are ignored; text that holds no number is an error. The values\n"
        "are then corrected as the window's fields correct them, so that the same\n"
        "entries give the same filter; where the window does so without a word, this\n"
        "command says what it changed in a message (\"--f1: 30000 Hz is above 0.4999 fs;\n"
        "23995 Hz is used\"), before any other: an edge above 0.4999 fs, a second edge\n"
        "not above the first, a count outside 3 to 4096. A corrected edge is taken as\n"
        "its field shows it (six characters), the attenuation with six significant\n"
        "digits.\n"
        "\n"
        "Exit status: 0 a filter was produced (warnings included); 1 no filter could be\n"
        "produced, or the output could not be written; 2 usage error or invalid\n"
        "specification.");
    parser.addOption(
        {"type", "Filter type: lowpass, highpass, bandpass, bandstop or halfband.", "TYPE"});
    parser.addOption({"fs", "Sampling frequency in Hz.", "HZ"});
    parser.addOption({"f1",
                      "Cut-off frequency (low pass, high pass) or lower band edge (band pass, "
                      "band stop) in Hz. Above 0.4999 fs it is lowered to 0.4999 fs (with a "
                      "message). A half band has its edge at fs/4: leave --f1 out, or give "
                      "exactly fs/4.",
                      "HZ"});
    parser.addOption({"f2",
                      "Upper band edge in Hz; required for band pass and band stop, ignored by "
                      "the other types; it must differ from --f1. Above 0.4999 fs, or below "
                      "--f1 (edges in reverse order), it becomes the middle between --f1 and "
                      "0.4999 fs, as shown in the window's field (with a message).",
                      "HZ"});
    parser.addOption({"att",
                      "Minimum stop-band attenuation in dB; its magnitude is used, at most 120. "
                      "A half band takes at least 30.",
                      "DB"});
    parser.addOption({"ripple",
                      "Maximum pass-band ripple in dB; its magnitude is used, limited to "
                      "0.001..2. Not used by a half band (optional there), which takes 0.001.",
                      "DB"});
    parser.addOption({"max-coefs",
                      "Maximum number of coefficients, 3 to 4096; a count outside is taken as "
                      "the nearer end (with a message).",
                      "N"});
    AddFormatOption(parser,
                    "Coefficient format: flt64, flt32, int32 or int16 (default flt32). The "
                    "achieved values are measured on the coefficients in this format.");
    parser.addOption({"meet-in-format",
                      "Meets the attenuation and ripple with the coefficients rounded to the "
                      "coefficient format (or to the word of --word-bits): while the rounded "
                      "filter misses them, the filter is designed again (longer, for more "
                      "attenuation, or with fewer coefficients, within --max-coefs) and the "
                      "design with the narrowest transition that meets them is kept. When none "
                      "does, the closest is kept and a message says what would meet them (fewer "
                      "fraction bits, a finer format, a longer word, or about how many "
                      "coefficients). A search longer than a second prints its progress on "
                      "standard error about once a second."});
    AddFixedPointOptions(parser,
                         "With --meet-in-format, meets the targets in a signed fixed-point word "
                         "of W bits (2 to 32) instead of the coefficient format. The JSON "
                         "report's achieved values are then those of the words (with "
                         "\"fixedPoint\": the word and the integers); the description text "
                         "keeps the coefficient format.");
    AddOutputOption(parser,
                    "Writes the result to FILE instead of standard output. FILE is replaced "
                    "only by a complete result; when no filter is produced it is left as it "
                    "was (a --json report then goes to standard output). A link stays a link "
                    "(the file it names is replaced), a device or a FIFO is written directly, "
                    "and '-' is standard output.",
                    "FILE");
    AddJsonOption(parser,
                  "Writes a JSON report instead of the description text: status (0 a "
                  "filter was produced, -1 invalid specification, else the engine status "
                  "that stopped the design), engineStatus (the engine's status word, null "
                  "when it did not run), messages (the corrections first), format, title, "
                  "entered and achieved values, cursor (the frequency where the window puts "
                  "its cursor, 0 without a filter), and the coefficients with 17 "
                  "significant digits.");
}

// A required frequency or level option; nullopt (after the usage line) when it is missing or
// holds no number.
std::optional<double> FieldOption(const QCommandLineParser& parser, const char* name,
                                  const Console& console) {
    if (!parser.isSet(name)) {
        UsageError(console, std::string("--") + name + " is required");
        return std::nullopt;
    }
    const std::string text = Utf8(parser.value(name));
    const auto value = ReadFieldValue(text);
    if (!value) UsageError(console, std::string("--") + name + ": '" + text + "' is not a number");
    return value;
}

// What the command line says about a value the window's fields would have corrected silently.
std::string CorrectionText(const EntryCorrection& c, double f1) {
    switch (c.kind) {
        case EntryCorrection::kEdge1AboveLimit:
            return FormatText("--f1: %.10g Hz is above 0.4999 fs; %.10g Hz is used", c.typed,
                              c.used);
        case EntryCorrection::kEdge2AboveLimit:
            return FormatText(
                "--f2: %.10g Hz is above 0.4999 fs; %.10g Hz is used, halfway from --f1 to 0.4999 "
                "fs",
                c.typed, c.used);
        case EntryCorrection::kEdge2NotAboveEdge1:
            return FormatText(
                "--f2: %.10g Hz is not above --f1 (%.10g Hz); %.10g Hz is used, halfway from --f1 "
                "to "
                "0.4999 fs",
                c.typed, f1, c.used);
        case EntryCorrection::kCountOutOfRange:
            return FormatText("--max-coefs: %.10g is outside 3 to 4096; %.10g is used", c.typed,
                              c.used);
    }
    return {};
}

bool DesignCommand::ReadOptions(const QCommandLineParser& parser) {
    if (!parser.isSet("type")) {
        UsageError("--type is required");
        return false;
    }
    const auto type = TypeFromWord(Utf8(parser.value("type")));
    if (!type) {
        UsageError("--type: unknown filter type '" + Utf8(parser.value("type")) +
                   "' (lowpass, highpass, bandpass, bandstop or halfband)");
        return false;
    }
    const bool band = HasTwoEdges(*type);
    const bool halfBand = *type == HalfBand;

    const auto fs = FieldOption(parser, "fs", console());
    if (!fs) return false;
    std::optional<double> f1;
    if (!halfBand || parser.isSet("f1")) {
        f1 = FieldOption(parser, "f1", console());
        if (!f1) return false;
    }
    std::optional<double> f2;
    if (band) {
        if (!parser.isSet("f2")) {
            UsageError("--f2 is required for a band pass or band stop");
            return false;
        }
        f2 = FieldOption(parser, "f2", console());
        if (!f2) return false;
    }
    const auto att = FieldOption(parser, "att", console());
    if (!att) return false;
    std::optional<double> ripple;
    if (!halfBand || parser.isSet("ripple")) {
        ripple = FieldOption(parser, "ripple", console());
        if (!ripple) return false;
    }

    if (!parser.isSet("max-coefs")) {
        UsageError("--max-coefs is required");
        return false;
    }
    const std::string maxText = Utf8(parser.value("max-coefs"));
    const auto maxCoefs = ReadWholeInt(maxText);
    if (!maxCoefs) {
        UsageError("--max-coefs: '" + maxText + "' is not a whole number");
        return false;
    }

    request.output = output;
    request.json = json;
    request.meetInFormat = parser.isSet("meet-in-format");
    if (!ReadFixedPointOptions(parser)) return false;
    if (fixedPoint && !request.meetInFormat) {
        UsageError("--word-bits is used with --meet-in-format");
        return false;
    }

    if (halfBand && f1) {
        // A half band has its edge at fs/4; a typed edge must say so.
        const double quarter = HalfBandEdge(*fs);
        if (!(std::fabs(*f1 - quarter) <= kQuarterTolerance * std::fabs(*fs))) {
            UsageError("--f1: a half band has its edge at fs/4 = " + FormatText("%g", quarter) +
                       " Hz, not " + FormatText("%g", *f1) + " Hz");
            return false;
        }
    }
    if (band && *f1 == *f2) {
        UsageError("--f1 and --f2: a band needs two different edges");
        return false;
    }

    // The values as typed into the window's fields.
    SpecEntries typed;
    typed.type = *type;
    typed.fs = *fs;
    typed.f1 = halfBand ? 0.0 : *f1;
    typed.f2 = band ? *f2 : 0.0;
    typed.attenuation = *att;
    typed.ripple = halfBand ? 0.0 : *ripple;
    typed.maxCoefs = *maxCoefs;
    // The window's Create reads them; what its fields would correct without a word is said.
    request.typed = typed;
    const SpecReading read = ReadSpecEntries(typed, FieldShows);
    for (const EntryCorrection& c : read.corrections) {
        request.corrections.push_back(CorrectionText(c, *f1));
    }
    return true;
}

int DesignCommand::Run() {
    const Console& console = this->console();
    this->request.format = format.value_or(-1);  // -1: the stored setting, as in the window
    const DesignRequest* request = &this->request;
    CliDesigner designer(console.err);
    for (const std::string& c : request->corrections) designer.dialogs.Note(c);
    CliMainWindow& window = designer.window;
    FilterWorkspace* ws = designer.ws.get();

    // Unless told otherwise, the format the window starts with.
    window.SelectCoefFormat(request->format >= 0 ? request->format : designer.StartupCoefFormat());
    window.fields = request->typed;
    ws->m_meetInFormat = request->meetInFormat ? 1 : 0;
    ws->m_meetWord = fixedPoint;

    const CreateOutcome design = window.Create();
    const bool valid = design.entered;
    const int result = design.result;
    const bool produced = result == 0;

    int status = produced ? kExitFilter : (valid ? kExitNoFilter : kExitUsage);
    if (produced) {
        // As Save does: the description of the filter in the chosen format.
        const auto refusal = ws->DescriptionRefusal();
        if (refusal && !request->json) {
            ws->ShowMessage(*refusal);
            status = kExitNoFilter;
        }
    }

    if (request->json) {
        FilterReport contents;
        // Measured in the word after the description was built, which keeps its format.
        if (produced && fixedPoint) {
            contents.words.emplace();
            MeasureInWords(*ws, *fixedPoint, *contents.words);
        }
        contents.status = result;
        contents.engineStatus = design.engineStatus;
        contents.messages = designer.dialogs.Messages();
        contents.produced = produced;
        const std::string report = FilterReportJson(*ws, contents);
        const int written = WriteResult(report, produced ? request->output : QString(), console);
        return status == kExitFilter ? written : status;
    }
    if (status != kExitFilter) return status;
    return WriteResult(std::string(ws->Text()), request->output, console);
}

}  // namespace

int RunDesignCommand(const QStringList& arguments, const Console& console) {
    DesignCommand command;
    return command.Main(arguments, console);
}

}  // namespace ondela::cli
