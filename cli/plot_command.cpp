#include "cli/plot_command.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_ports.h"
#include "numbers/number_text.h"
#include "ui/plot/response_plot.h"
#include "workspace/export_summary.h"

namespace ondela::cli {

namespace {

constexpr const char* kUsage =
    "ondela-cli plot FILE --output PICTURE.png [--log] [--fmin HZ] [--fmax HZ] [--cursor HZ] "
    "[--format FORMAT | --word-bits W [--frac-bits F] [--rounding nearest|floor]]";
// A paint can ask for another one (an upper limit pulled back to the sampling frequency); the
// window would run it at once, and so does the command, a few times at most.
constexpr int kMaxPaints = 3;

int UsageError(const Console& console, const std::string& what) {
    PrintLine(console.err, "ondela-cli plot: " + what);
    return kExitUsage;
}

class PlotCommand : public CliCommand {
  public:
    PlotCommand() : CliCommand("plot", kUsage) {}

  private:
    void AddOptions(QCommandLineParser& parser) override;
    bool ReadOptions(const QCommandLineParser& parser) override;
    int Run() override;

    PlotRequest request;
};

void PlotCommand::AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Loads a filter file as the designer window's Load button does (designed again\n"
        "from a complete specification, else measured from its coefficients) and writes\n"
        "the window's two plots as one PNG picture: the frequency response in dB above\n"
        "the coefficients (the impulse response), each 1060 pixels wide. The response\n"
        "is evaluated from the coefficients in the coefficient format shown, so the\n"
        "picture shows the filter as it is written in that format; with --word-bits\n"
        "both plots show the coefficients quantised to a signed fixed-point word of W\n"
        "bits (each coefficient c becomes q / 2^F with q = c * 2^F rounded and held\n"
        "within the word; a message counts the coefficients saturated there). The\n"
        "window's messages go to standard error, one line each.\n"
        "\n"
        "Without --fmin and --fmax the frequency axis spans what the window's Create\n"
        "sets: 0 up to half the sampling frequency rounded up to one significant digit\n"
        "(linear), or the three decades below the sampling frequency rounded up\n"
        "likewise (logarithmic). The cursor stands where Load puts it unless --cursor\n"
        "is given.\n"
        "\n"
        "Exit status: 0 the picture was written; 1 the file gave no filter, or the\n"
        "picture could not be written; 2 usage error.");
    AddOutputOption(parser, "The picture file to write (PNG); '-' is standard output. Required.",
                    "PICTURE");
    parser.addOption({"log", "Logarithmic frequency axis (three decades)."});
    parser.addOption({"fmin",
                      "Lower display frequency of the linear axis, as typed in a frequency "
                      "field (\"2,5kHz\" is 2500). Values below 1/1000 of the upper limit "
                      "give 0. Not with --log: that axis starts at 1/1000 of the upper limit.",
                      "HZ"});
    parser.addOption({"fmax",
                      "Upper display frequency, at least 0.001 Hz; held at the window's "
                      "limit (half the sampling frequency, or the sampling frequency with "
                      "--log, rounded up to one significant digit).",
                      "HZ"});
    parser.addOption({"cursor",
                      "Cursor frequency, held within the displayed range and half the "
                      "sampling frequency.",
                      "HZ"});
    AddFormatOption(parser,
                    "Coefficient format to show the filter in: flt64, flt32, int32 or int16 "
                    "(default: the format Load gives the file).");
    AddFixedPointOptions(parser,
                         "Shows the filter's coefficients quantised to a signed word of W bits, "
                         "2 to 32, instead of in a coefficient format.");
    AddFileArgument(parser);
}

std::optional<double> FrequencyOption(const QCommandLineParser& parser, const char* name,
                                      const Console& console, bool& failed) {
    if (!parser.isSet(name)) return std::nullopt;
    const std::string text = Utf8(parser.value(name));
    const auto value = ReadFieldValue(text);
    if (!value) {
        UsageError(console, std::string("--") + name + ": '" + text + "' is not a frequency");
        failed = true;
    }
    return value;
}

// The main window as the picture needs it: the plot's cursor operations go to the plot, and a
// repaint that a paint asks for is remembered so that it can be carried out.
class PlotWindow : public CliMainWindow {
  public:
    PlotWindow(FilterWorkspace& ws, Preferences& prefs, ResponsePlot& plot)
        : CliMainWindow(ws, prefs), m_ws(ws), m_plot(plot) {}

    // The cursor field's rule: never below 0 nor below the displayed lower limit.
    void SetCursorFreq(double hz) override {
        const double v = m_ws.m_view.CursorWithinRange(hz);
        m_ws.m_view.cursorHz = v;
        m_plot.m_cursorHz = v;
        repaintAsked = true;
    }
    void Repaint() override { repaintAsked = true; }
    int PlaceCursorAt(double hz) override { return m_plot.PlaceCursorAt(hz); }
    double PlotCursorHz() const override { return m_plot.m_cursorHz; }
    void SetPlotCursorHz(double hz) override { m_plot.m_cursorHz = hz; }

    bool repaintAsked = false;

  private:
    FilterWorkspace& m_ws;
    ResponsePlot& m_plot;
};

// The display limits a Create sets for the filter's sampling frequency, then the ones asked
// for, with the window's limits. false (message printed) when the linear range is empty.
bool SetDisplayLimits(FilterWorkspace& ws, const PlotRequest& request, const Console& console) {
    ViewState& view = ws.m_view;
    view.SetRate(ws.Current().achieved.fs);
    view.ResetRange();

    if (request.fmax) {
        const double x = ViewState::TypedUpperLimit(*request.fmax);
        if (request.logScale) {
            view.logFMax = std::min(x, view.LogCap());
            view.FollowLogMax();
        } else {
            view.linFMax = std::min(x, view.LinearCap());
        }
    }
    if (request.fmin) {
        const double x = view.TypedLinearMin(*request.fmin);
        if (x >= view.linFMax) {
            PrintLine(console.err, "ondela-cli plot: --fmin: " + FormatText("%g", *request.fmin) +
                                       " Hz is not below the upper display frequency " +
                                       FormatText("%g", view.linFMax) + " Hz");
            return false;
        }
        view.linFMin = x;
    }
    return true;
}

// The cursor field's rule for a typed cursor frequency: not negative, at most half the sampling
// frequency, at least the displayed lower limit.
double CursorFromField(const FilterWorkspace& ws, double hz) {
    return ws.m_view.CursorWithinRange(ViewState::CursorWithinRate(hz, ws.Current().achieved.fs));
}

// The response plot above the coefficient plot, as PNG bytes.
std::string PictureBytes(const ResponsePlot& plot) {
    const QImage& response = plot.ResponseImage();
    const QImage& coefs = plot.CoefImage();
    QImage picture(std::max(response.width(), coefs.width()), response.height() + coefs.height(),
                   QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.drawImage(0, 0, response);
        painter.drawImage(0, response.height(), coefs);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) return {};
    return bytes.toStdString();
}

bool PlotCommand::ReadOptions(const QCommandLineParser& parser) {
    request.file = file;
    request.output = output;
    if (request.output.isEmpty()) return UsageError("no picture file given (--output)");
    request.logScale = parser.isSet("log");
    bool failed = false;
    request.fmin = FrequencyOption(parser, "fmin", console(), failed);
    request.fmax = FrequencyOption(parser, "fmax", console(), failed);
    request.cursor = FrequencyOption(parser, "cursor", console(), failed);
    if (failed) return false;
    if (request.fmin && request.logScale) {
        UsageError("--fmin: the logarithmic axis always starts at 1/1000 of its upper limit");
        return false;
    }
    if (!ReadFixedPointOptions(parser)) return false;
    if (fixedPoint && parser.isSet("format")) {
        return UsageError("--format and --word-bits: give one coefficient format");
    }
    return true;
}

int PlotCommand::Run() {
    const Console& console = this->console();
    this->request.format = format;
    const PlotRequest* request = &this->request;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        PrintLine(console.err, "ondela-cli plot: no graphical application to draw with");
        return kExitNoFilter;
    }

    CliDesigner designer(console.err);
    FilterWorkspace& ws = *designer.ws;
    ResponsePlot plot(ws);
    PlotWindow window(ws, designer.prefs, plot);
    window.ShowStoredSpec();
    ws.m_mainWindow = &window;
    ws.m_view.logScale = request->logScale ? 1 : 0;
    window.SelectCoefFormat(designer.StartupCoefFormat());

    // The window's Load of the file named on the command line.
    const LoadOutcome load = ws.LoadFilterFile(QFile::encodeName(request->file).toStdString());
    // Load has said why when it gave no filter.
    if (!ws.Current().valid) return kExitNoFilter;
    if (MeasuredWithoutRate(ws, load)) {
        PrintLine(console.err, "ondela-cli plot: " + Utf8(request->file) +
                                   ": no sampling frequency (\"fs = ...\" in the header) to "
                                   "plot the coefficients over");
        return kExitNoFilter;
    }
    // The format radio: the filter is measured again in the format chosen.
    if (request->format && *request->format != ws.Current().format) {
        ws.SetFormat(static_cast<CoefFormat>(*request->format));
    }
    if (fixedPoint) {
        // The words' values, exactly, take the place of the coefficients in double precision.
        const TapsInWords q = QuantiseTaps(ws.Current().Taps(), *fixedPoint);
        std::copy(q.values.begin(), q.values.end(), ws.m_current.taps.begin());
        ws.m_current.format = FLT64;
        if (q.words.saturated > 0) ws.ShowMessage(SaturationText(q.words));
    }
    if (!SetDisplayLimits(ws, *request, console)) return kExitUsage;
    const double cursor = CursorFromField(ws, request->cursor.value_or(ws.m_view.cursorHz));
    window.SetCursorFreq(cursor);
    plot.PlaceCursorAt(cursor);

    for (int paint = 0; paint < kMaxPaints; ++paint) {
        window.repaintAsked = false;
        plot.PaintPlots(true);
        if (!window.repaintAsked) break;
    }
    const std::string bytes = PictureBytes(plot);
    if (bytes.empty()) {
        PrintLine(console.err, "ondela-cli plot: the picture could not be encoded");
        return kExitNoFilter;
    }
    return WriteResult(bytes, request->output, console);
}

}  // namespace

int RunPlotCommand(const QStringList& arguments, const Console& console) {
    PlotCommand command;
    return command.Main(arguments, console);
}

}  // namespace ondela::cli
