#include "cli/export_command.h"

#include <QCommandLineParser>
#include <QFile>
#include <optional>
#include <string>
#include <vector>

#include "app/about/version_info.h"
#include "cli/cli_command.h"
#include "cli/cli_ports.h"
#include "cli/json_writer.h"
#include "export/coef_export.h"
#include "numbers/number_text.h"
#include "workspace/export_summary.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace ondela::cli {

namespace {

constexpr const char* kUsage =
    "ondela-cli export FILE --to FORMAT --word-bits W [--frac-bits F] [--rounding nearest|floor] "
    "[--name IDENT] [--radix 10|16] [--cmsis-type q15|q31|f32] [--real] [--output OUT] [--json]";

constexpr const char* kDefaultName = "fir";

// What was asked for on the command line, before the file is read.
struct ExportSettings {
    ExportFormat format = ExportFormat::Csv;
    FixedPointRequest fixed;
    std::string name = kDefaultName;
    ExportOptions options;
    bool cmsisTypeGiven = false;
};

class ExportCommand : public CliCommand {
  public:
    ExportCommand() : CliCommand("export", kUsage) {}

  private:
    void AddOptions(QCommandLineParser& parser) override;
    bool ReadOptions(const QCommandLineParser& parser) override;
    int Run() override;

    bool ReadFormat(const QCommandLineParser& parser);
    bool ReadFixedPoint(const QCommandLineParser& parser);
    bool ReadFileOptions(const QCommandLineParser& parser);
    // The --json report of the run; result is null when no file was made.
    std::string Report(const std::vector<std::string>& messages, const ExportRequest* request,
                       const ExportResult* result, bool written) const;

    ExportSettings settings;
};

void ExportCommand::AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Loads a filter file as the designer window's Load button does, quantises its\n"
        "coefficients to a signed fixed-point word of W bits and writes them as one file\n"
        "that a toolchain reads.\n"
        "\n"
        "The coefficients quantised are those of the filter the file describes, at full\n"
        "precision: a file that holds a complete specification is designed again from\n"
        "it, and the new design's coefficients (not the file's copy of them, rounded to\n"
        "its own coefficient format) are quantised; a file that holds only coefficients\n"
        "gives its coefficients as written. Each coefficient c becomes the integer\n"
        "q = c * 2^F, rounded, so that q stands for q / 2^F; values beyond the word's\n"
        "limits saturate at them (never wrap around) and are reported as a warning.\n"
        "\n"
        "Every file but the .npy array states in its own comment syntax (JSON: in its\n"
        "fields) the program and its version, the filter type, sampling frequency,\n"
        "edges and targets of the design, the stop-band attenuation and pass-band\n"
        "ripple that the QUANTISED filter achieves, saturated words included (measured\n"
        "as the window measures a filter; a response with no pass band reaching -3 dB\n"
        "is measured over the bands the filter was designed for), the fixed-point\n"
        "format, the rounding and the saturated coefficients. Words that hold no filter\n"
        "(every coefficient rounded to zero, or a stop band not below the pass band, as\n"
        "when too many fraction bits saturate the taps) state \"no filter\" and why\n"
        "instead of achieved values. A line \"Targets not met in this format\" (JSON:\n"
        "\"targetsMet\": false) says when the quantised filter misses the file's\n"
        "specification by more than the window allows (1 dB of attenuation, 10 % of\n"
        "ripple) or holds no filter.\n"
        "Load's messages (about the file as Load reads it, in its own coefficient\n"
        "format) and the warnings of the export (saturation, no filter, targets not\n"
        "met) go to standard error, one line each.\n"
        "\n"
        "Formats (--to):\n"
        "  coe      Xilinx coefficient file: radix=10; or radix=16; then coefdata=\n"
        "           one value a line (hexadecimal: two's complement of W bits in\n"
        "           whole hex digits).\n"
        "  mif      Intel/Altera memory initialisation file: WIDTH=W, DEPTH=count,\n"
        "           decimal addresses, one \"address : value;\" line each.\n"
        "  vhdl     VHDL-2008 package IDENT_pkg: IDENT_COUNT, IDENT_WORD_BITS,\n"
        "           IDENT_FRAC_BITS and the array IDENT_COEFS of signed(W-1 downto 0).\n"
        "  verilog  Verilog-2001 include for a module body: localparams IDENT_COUNT,\n"
        "           IDENT_WORD_BITS, IDENT_FRAC_BITS and the array ident_coefs of signed\n"
        "           W-bit regs filled by an initial block.\n"
        "  cmsis    C header for the CMSIS-DSP FIR functions: IDENT_NUM_TAPS,\n"
        "           IDENT_FRAC_BITS and the array ident_coefs in the time-reversed order\n"
        "           those functions take (q15_t arrays padded with zero taps to an even\n"
        "           count of at least four). q15_t words are Q1.15 and q31_t words\n"
        "           Q1.31 (F = 15 or 31), as those functions read them, so that the\n"
        "           filter keeps its gain: a tap outside -1 to 1 saturates (with a\n"
        "           warning), and another --frac-bits is a usage error.\n"
        "  csv      one value a line after \"#\" comment lines.\n"
        "  npy      NumPy array (format 1.0): int8, int16 or int32, the smallest that\n"
        "           holds W bits; float64 with --real. It holds no comment.\n"
        "  json     an object with the program, the design, wordBits, fracBits,\n"
        "           qFormat, rounding, saturated, the integers and their values.\n"
        "\n"
        "Exit status: 0 the file was written (warnings included); 1 FILE gave no filter\n"
        "(not readable, not a filter description, no usable data, coefficients\n"
        "without a sampling frequency, an invalid specification or a design that is\n"
        "not possible: Load's message says which; or a specification value that is no\n"
        "number, which Load completes but the file does not hold), or OUT could not be\n"
        "written; 2 usage error.");
    parser.addOption({"to",
                      "The file format: coe, mif, vhdl, verilog, cmsis, csv, npy or json "
                      "(required).",
                      "FORMAT"});
    AddFixedPointOptions(parser,
                         "The word length W of the signed two's complement integers, 2 to 32 "
                         "(required).");
    parser.addOption({"name",
                      "The identifier the file's declarations are named after (default "
                      "\"fir\"): a letter first, then letters, digits and single underscores, "
                      "not ending with one, at most 64 characters.",
                      "IDENT"});
    parser.addOption({"radix",
                      "coe and mif only: the values in decimal (10, default) or in hexadecimal "
                      "two's complement (16).",
                      "10|16"});
    parser.addOption({"cmsis-type",
                      "cmsis only: the array type, q15 (q15_t, Q1.15: needs W = 16), q31 "
                      "(q31_t, Q1.31: needs W = 32) or f32 (float32_t: the quantised values "
                      "q / 2^F). Default: q15 for W = 16, q31 for W = 32; any other W needs f32.",
                      "TYPE"});
    parser.addOption({"real",
                      "csv and npy only: the values q / 2^F (npy: float64) instead of the "
                      "integers."});
    AddOutputOption(parser,
                    "Where the file goes: replaced only once all of it is written, so that a "
                    "failed export leaves an existing OUT as it was. '-' or no --output: "
                    "standard output (the .npy bytes as they are).",
                    "OUT");
    AddJsonOption(parser,
                  "Prints a JSON report on standard output once the run ends (OUT must then be "
                  "a file): \"file\", \"output\", \"format\", \"written\" (true once OUT "
                  "holds the whole file), \"messages\" (Load's messages and the warnings, as "
                  "printed on standard error), "
                  "and when coefficients were quantised \"count\", \"wordBits\", "
                  "\"fracBits\", \"qFormat\" (null outside Q0.W to QW.0), \"rounding\", "
                  "\"saturated\", \"target\" (attenuation and ripple in dB; null without a "
                  "specification), \"achieved\" (those of the quantised filter, null where "
                  "not measured or when the words hold no filter), \"holdsFilter\" and "
                  "\"targetsMet\" (null without a specification).");
    AddFileArgument(parser);
}

bool ExportCommand::ReadOptions(const QCommandLineParser& parser) {
    if (!ReadFormat(parser) || !ReadFixedPoint(parser) || !ReadFileOptions(parser)) return false;
    if (json && (output.isEmpty() || output == QLatin1String("-"))) {
        return UsageError(
            "--json needs --output OUT naming a file: the report takes standard "
            "output");
    }
    return true;
}

bool ExportCommand::ReadFormat(const QCommandLineParser& parser) {
    if (!parser.isSet("to")) {
        return UsageError(
            "--to FORMAT is required (coe, mif, vhdl, verilog, cmsis, csv, npy or json)");
    }
    const std::string word = Utf8(parser.value("to"));
    const auto format = ExportFormatFromName(word);
    if (!format) {
        return UsageError("--to: unknown format '" + word +
                          "' (coe, mif, vhdl, verilog, cmsis, csv, npy or json)");
    }
    settings.format = *format;
    return true;
}

bool ExportCommand::ReadFixedPoint(const QCommandLineParser& parser) {
    if (!parser.isSet("word-bits")) return UsageError("--word-bits W is required (2 to 32)");
    if (!ReadFixedPointOptions(parser)) return false;
    settings.fixed = *fixedPoint;
    return true;
}

bool ExportCommand::ReadFileOptions(const QCommandLineParser& parser) {
    const ExportFormat format = settings.format;
    const char* formatName = ExportFormatName(format);
    if (parser.isSet("name")) settings.name = Utf8(parser.value("name"));
    const std::string nameProblem = IdentifierProblem(settings.name);
    if (!nameProblem.empty()) return UsageError("--name: " + nameProblem);

    if (parser.isSet("radix")) {
        if (format != ExportFormat::Coe && format != ExportFormat::Mif) {
            return UsageError(std::string("--radix applies to coe and mif only, not to ") +
                              formatName);
        }
        const std::string text = Utf8(parser.value("radix"));
        const auto radix = ReadWholeInt(text);
        if (!radix || (*radix != 10 && *radix != 16)) {
            return UsageError("--radix: '" + text + "' is neither 10 nor 16");
        }
        settings.options.radix = *radix;
    }

    if (parser.isSet("real")) {
        if (format != ExportFormat::Csv && format != ExportFormat::Npy) {
            return UsageError(std::string("--real applies to csv and npy only, not to ") +
                              formatName);
        }
        settings.options.realValues = true;
    }

    if (parser.isSet("cmsis-type")) {
        if (format != ExportFormat::Cmsis) {
            return UsageError(std::string("--cmsis-type applies to cmsis only, not to ") +
                              formatName);
        }
        const std::string type = Utf8(parser.value("cmsis-type"));
        if (type == "q15") {
            settings.options.cmsisType = CmsisType::Q15;
        } else if (type == "q31") {
            settings.options.cmsisType = CmsisType::Q31;
        } else if (type == "f32") {
            settings.options.cmsisType = CmsisType::F32;
        } else {
            return UsageError("--cmsis-type: unknown type '" + type + "' (q15, q31 or f32)");
        }
        settings.cmsisTypeGiven = true;
    }
    if (format == ExportFormat::Cmsis) {
        const int w = settings.fixed.wordBits;
        if (!settings.cmsisTypeGiven) {
            if (w != 16 && w != 32) {
                return UsageError(FormatText(
                    "a CMSIS header of a %d-bit word needs --cmsis-type f32 (q15 takes 16 "
                    "bits, q31 32 bits)",
                    w));
            }
            settings.options.cmsisType = w == 16 ? CmsisType::Q15 : CmsisType::Q31;
        }
        FixedPointFormat word;
        word.wordBits = w;
        const std::optional<int> own = CmsisFracBits(settings.options.cmsisType);
        word.fracBits = own ? *own : 0;
        std::string problem = CmsisProblem(word, settings.options.cmsisType);
        if (!problem.empty()) return UsageError("--cmsis-type: " + problem);
        // A q15_t or q31_t header takes its type's own fraction bits (ExportWord) or refuses
        // others.
        if (own && settings.fixed.fracBits) {
            word.fracBits = *settings.fixed.fracBits;
            problem = CmsisProblem(word, settings.options.cmsisType);
            if (!problem.empty()) return UsageError("--frac-bits: " + problem);
        }
    }
    return true;
}

std::string ExportCommand::Report(const std::vector<std::string>& messages,
                                  const ExportRequest* request, const ExportResult* result,
                                  bool written) const {
    JsonWriter json;
    json.BeginObject();
    json.Key("file").String(Utf8(file));
    json.Key("output").String(Utf8(output));
    json.Key("format").String(ExportFormatName(settings.format));
    json.Key("written").Bool(written);
    json.Key("messages").BeginArray();
    for (const std::string& message : messages) json.String(message);
    json.EndArray();
    if (request != nullptr && result != nullptr) {
        const QuantisedCoefs& q = result->quantised;
        const DesignSummary& d = request->design;
        const auto number = [&json](const std::optional<double>& value) {
            if (value) {
                json.Number(*value);
            } else {
                json.Null();
            }
        };
        json.Key("count").Integer(static_cast<long long>(q.values.size()));
        json.Key("wordBits").Integer(q.format.wordBits);
        json.Key("fracBits").Integer(q.format.fracBits);
        const std::string qName = QFormatName(q.format);
        json.Key("qFormat");
        if (qName.empty()) {
            json.Null();
        } else {
            json.String(qName);
        }
        json.Key("rounding").String(RoundingName(q.format.rounding));
        json.Key("saturated").Integer(q.saturated);
        json.Key("target");
        if (d.targetAttenuation || d.targetRipple) {
            json.BeginObject();
            json.Key("attenuation");
            number(d.targetAttenuation);
            json.Key("ripple");
            number(d.targetRipple);
            json.EndObject();
        } else {
            json.Null();
        }
        json.Key("achieved").BeginObject();
        json.Key("attenuation");
        number(d.achievedAttenuation);
        json.Key("ripple");
        number(d.achievedRipple);
        json.EndObject();
        json.Key("holdsFilter").Bool(d.noFilter.empty());
        json.Key("targetsMet");
        if (d.targetsMet) {
            json.Bool(*d.targetsMet);
        } else {
            json.Null();
        }
    }
    json.EndObject();
    return json.Text();
}

int ExportCommand::Run() {
    const Console& console = this->console();
    CliDesigner designer(console.err);
    FilterWorkspace& ws = *designer.ws;
    designer.window.SelectCoefFormat(designer.StartupCoefFormat());
    // The end of a run: the status, after the report when one was asked for.
    const auto finish = [&](int status, const ExportRequest* request, const ExportResult* result) {
        if (!this->json) return status;
        const std::string report =
            Report(designer.dialogs.Messages(), request, result, status == kExitFilter);
        const int reported = WriteResult(report, QString(), console);
        return status == kExitFilter ? reported : status;
    };

    // The window's Load of the file named on the command line; its messages say why it gave no
    // filter.
    const LoadOutcome load = ws.LoadFilterFile(QFile::encodeName(file).toStdString());
    if (!ws.Current().valid) return finish(kExitNoFilter, nullptr, nullptr);
    if (!ws.m_unreadableFields.empty()) {
        // Load designed with those values completed; the words would state a design the file
        // does not hold.
        std::string fields;
        for (const std::string& f : ws.m_unreadableFields)
            fields += (fields.empty() ? "" : ", ") + f;
        designer.dialogs.Note(Prefix() + Utf8(file) + ": its specification cannot be read (" +
                              fields + (ws.m_unreadableFields.size() > 1 ? " hold" : " holds") +
                              " no number); nothing is exported");
        return finish(kExitNoFilter, nullptr, nullptr);
    }
    if (MeasuredWithoutRate(ws, load)) {
        designer.dialogs.Note(Prefix() + Utf8(file) +
                              ": no sampling frequency (\"fs = ...\" in the header); its "
                              "coefficients cannot be measured");
        return finish(kExitNoFilter, nullptr, nullptr);
    }

    ExportRequest request;
    const std::span<const double> taps = ws.Current().Taps();
    request.coefs.assign(taps.begin(), taps.end());
    request.fixed = settings.fixed;
    request.name = settings.name;
    request.options = settings.options;

    // Quantised once to measure what the words achieve, then again by the export itself.
    const std::string coefProblem = CoefficientProblem(request.coefs);
    if (!coefProblem.empty()) {
        designer.dialogs.Note(Prefix() + Utf8(file) + ": " + coefProblem);
        return finish(kExitNoFilter, nullptr, nullptr);
    }
    const std::vector<double> values =
        QuantiseTaps(request.coefs, ExportWord(settings.format, request)).values;
    VersionStrings strings;
    ReadVersionInfo(BuiltInVersionBlock, strings);
    request.design = CurrentDesignSummary(ws, values, strings.productName, strings.productVersion);

    const ExportResult result = ExportCoefficients(settings.format, request);
    if (!result.error.empty()) {
        designer.dialogs.Note(Prefix() + result.error);
        return finish(kExitNoFilter, nullptr, nullptr);
    }
    const QuantisedCoefs& q = result.quantised;
    const std::string word =
        FormatText("%d-bit words with ", q.format.wordBits) + FractionBitsText(q.format.fracBits);
    const DesignSummary& d = request.design;
    if (!d.noFilter.empty()) {
        designer.dialogs.Note(Prefix() + "warning: the " + word + " hold no filter: " + d.noFilter +
                              "; no achieved values are stated");
    }
    if (d.targetsMet && !*d.targetsMet) {
        designer.dialogs.Note(Prefix() + "warning: in " + word +
                              " the filter misses its specification: " + d.missedTargets);
    }
    if (q.saturated > 0) {
        designer.dialogs.Note(
            Prefix() +
            FormatText("warning: %d of %zu coefficients saturated at the limits of the %d-bit "
                       "word (%lld to %lld) with %s; fewer fraction bits keep them inside",
                       q.saturated, q.values.size(), q.format.wordBits,
                       static_cast<long long>(WordMin(q.format.wordBits)),
                       static_cast<long long>(WordMax(q.format.wordBits)),
                       FractionBitsText(q.format.fracBits).c_str()));
    }
    std::string failure;
    const int written = WriteResult(result.content, output, console, &failure);
    if (!failure.empty()) designer.dialogs.Keep(failure);
    return finish(written, &request, &result);
}

}  // namespace

int RunExportCommand(const QStringList& arguments, const Console& console) {
    ExportCommand command;
    return command.Main(arguments, console);
}

}  // namespace ondela::cli
