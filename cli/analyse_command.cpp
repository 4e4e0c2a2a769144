#include "cli/analyse_command.h"

#include <QCommandLineParser>
#include <QFile>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_ports.h"
#include "cli/filter_report.h"
#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/description_reader.h"
#include "workspace/measurable_coefs.h"

namespace ondela::cli {

namespace {

constexpr const char* kUsage =
    "ondela-cli analyse FILE [--json] [--output FILE2] [--word-bits W [--frac-bits F] "
    "[--rounding nearest|floor]]";

class AnalyseCommand : public CliCommand {
  public:
    AnalyseCommand() : CliCommand("analyse", kUsage) {}

  private:
    void AddOptions(QCommandLineParser& parser) override;
    bool ReadOptions(const QCommandLineParser& parser) override;
    int Run() override;

    AnalyseRequest request;
};

void AnalyseCommand::AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Loads a filter file as the designer window's Load button does: a file that\n"
        "holds a complete specification is designed again from it (its stored\n"
        "coefficients are checked against the new design and replaced), a file that\n"
        "holds only coefficients is measured as it stands. Prints the achieved values\n"
        "of the resulting filter as \"name value\" lines (title, from: specification or\n"
        "coefficients, format, type, fs, coefs, attenuation, ripple, the -3 dB edges f1\n"
        "and f2, transition), or with --json a JSON report. The window's messages go to\n"
        "standard error, one line each.\n"
        "\n"
        "With --word-bits W the achieved values are those of the filter's coefficients\n"
        "quantised to a signed fixed-point word of W bits (each coefficient c becomes\n"
        "q / 2^F with q = c * 2^F rounded and held within the word), measured as the\n"
        "window measures a filter; the format line names the word, a message counts the\n"
        "coefficients saturated at its limits, and the JSON report adds \"fixedPoint\"\n"
        "(wordBits, fracBits, rounding, saturated and the integers). FILE2 still\n"
        "receives the description in the file's coefficient format.\n"
        "\n"
        "Exit status: 0 a filter resulted (warnings included); 1 the file gave none\n"
        "(not readable, not a filter description, no usable data, coefficients\n"
        "without a sampling frequency, an invalid specification or a design that is\n"
        "not possible), or FILE2 could not be written; 2 usage error.");
    AddJsonOption(parser,
                  "Writes a JSON report instead of the summary, with the fields of 'ondela-cli "
                  "design --json' and \"redesigned\" (true: designed again from the file's "
                  "specification, false: measured from its coefficients, null: no filter). "
                  "\"entered\" is the specification read from the file (for coefficients "
                  "only, the measured values), null when the file is no filter description; "
                  "\"status\" is 0 when a filter resulted, -1 when the file gave none before "
                  "a design, else the engine status that stopped the design. The report is "
                  "written whether or not a filter resulted.");
    AddOutputOption(parser,
                    "Writes the description of the resulting filter to FILE2 as Save writes "
                    "it, in the file's coefficient format. FILE2 is replaced only by a "
                    "complete description; when no filter resulted it is left as it was. FILE2 "
                    "may be FILE; '-' is standard output.",
                    "FILE2");
    AddFixedPointOptions(parser,
                         "Measures the filter's coefficients quantised to a signed word of W "
                         "bits, 2 to 32.");
    AddFileArgument(parser);
}

// The achieved values of the current filter as "name value unit" lines.
std::string Summary(FilterWorkspace& ws, bool redesigned, const std::string& format) {
    std::string title;
    if (ws.FilterTitle(title) != 1) title = "-";
    const FilterSpec& a = ws.Current().achieved;
    const char* type = FilterTypeName(a.type);
    std::string text;
    const auto line = [&text](const char* name, const std::string& value) {
        text += FormatText("%-12s %s\n", name, value.c_str());
    };
    line("title", title);
    line("from", redesigned ? "specification" : "coefficients");
    line("format", format.empty() ? std::string(CoefFormatName(ws.Current().format)) : format);
    line("type", *type != '\0' ? type : "-");
    line("fs", FormatText("%.10g Hz", a.fs));
    line("coefs", FormatText("%d", a.numCoefs));
    line("attenuation", FormatText("%.6g dB", a.attenuation));
    line("ripple", FormatText("%.6g dB", a.ripple));
    line("f1", FormatText("%.10g Hz", a.f1));
    line("f2", FormatText("%.10g Hz", a.f2));
    line("transition", FormatText("%.10g Hz", a.bandwidth));
    return text;
}

bool AnalyseCommand::ReadOptions(const QCommandLineParser& parser) {
    request.file = file;
    request.output = output;
    request.json = json;
    return ReadFixedPointOptions(parser);
}

int AnalyseCommand::Run() {
    const Console& console = this->console();
    const AnalyseRequest* request = &this->request;

    CliDesigner designer(console.err);
    FilterWorkspace& ws = *designer.ws;
    designer.window.SelectCoefFormat(designer.StartupCoefFormat());

    // The window's Load of the file named on the command line.
    const LoadOutcome load = ws.LoadFilterFile(QFile::encodeName(request->file).toStdString());

    // A fresh workspace has no filter; Load marks one valid only when it resulted.
    bool produced = ws.Current().valid;
    const bool redesigned = produced && ws.Current().GoesWithRequest();
    if (produced && !redesigned && MeasuredWithoutRate(ws, load)) {
        // Coefficients measured without a sampling frequency give no values at all (every
        // frequency of the measurement is 0 Hz): no filter rather than a report of zeros. A
        // design needs one too; Create refuses it there.
        PrintLine(console.err, "ondela-cli analyse: " + Utf8(request->file) +
                                   ": no sampling frequency (\"fs = ...\" in the header); its "
                                   "coefficients cannot be measured");
        produced = false;
    }
    // Load keeps the text it read; without the marker it found no description at all.
    const bool described = load.described;

    int status = produced ? kExitFilter : kExitNoFilter;
    if (produced && !request->output.isEmpty()) {
        // As Save does: the description of the filter, then the file replaced only by all of it.
        if (const auto refusal = ws.DescriptionRefusal()) {
            ws.ShowMessage(*refusal);
            status = kExitNoFilter;
        } else {
            std::string failure;
            status = WriteResult(std::string(ws.Text()), request->output, console, &failure);
            if (!failure.empty()) designer.dialogs.Keep(failure);
        }
    }

    // Measured in the word asked for after the description was written, which keeps the file's
    // coefficient format.
    std::optional<ReportedWords> words;
    if (produced && fixedPoint) {
        words.emplace();
        if (!MeasureInWords(ws, *fixedPoint, *words)) {
            produced = false;
            status = kExitNoFilter;
        }
    }

    std::string report;
    if (request->json) {
        FilterReport contents;
        const std::optional<int> engineStatus =
            load.design ? load.design->engineStatus : std::nullopt;
        contents.status = produced ? 0 : (engineStatus ? load.design->result : -1);
        contents.engineStatus = engineStatus;
        contents.messages = designer.dialogs.Messages();
        contents.produced = produced;
        contents.entered = described;
        contents.aboutFile = true;
        contents.redesigned = redesigned;
        contents.words = words;
        report = FilterReportJson(ws, contents);
    } else if (produced) {
        report = Summary(ws, redesigned, words ? FixedPointFormatText(words->format) : "");
    }
    if (report.empty()) return status;
    const int written = WriteResult(report, QString(), console);
    return status == kExitFilter ? written : status;
}

}  // namespace

int RunAnalyseCommand(const QStringList& arguments, const Console& console) {
    AnalyseCommand command;
    return command.Main(arguments, console);
}

}  // namespace ondela::cli
