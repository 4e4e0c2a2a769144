#include "cli/cli_app.h"

#include <QCommandLineParser>
#include <string>

#include "app/about/version_info.h"
#include "cli/analyse_command.h"
#include "cli/design_command.h"
#include "cli/export_command.h"
#include "cli/plot_command.h"
#include "cli/remez_command.h"
#include "cli/response_command.h"

namespace ondela::cli {

namespace {

constexpr const char* kUsage = "ondela-cli [--help] [--version] COMMAND [options]";

int UsageError(const Console& console, const std::string& what) {
    PrintLine(console.err, "ondela-cli: " + what);
    return kExitUsage;
}

}  // namespace

int RunCli(const QStringList& arguments, const Console& console) {
    QCommandLineParser parser;
    // Everything from the command word on belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.setApplicationDescription(
        "The command-line designer of linear-phase FIR filters.\n"
        "\n"
        "Commands:\n"
        "  design   designs an equiripple filter from a specification, as the designer\n"
        "           window's Create button does, and writes its description text or a\n"
        "           JSON report; --meet-in-format designs again until the coefficients\n"
        "           rounded to the format (or to a word of --word-bits W bits) meet the\n"
        "           targets:\n"
        "           ondela-cli design --type TYPE --fs HZ --f1 HZ [--f2 HZ] --att DB\n"
        "               --ripple DB --max-coefs N [--format FORMAT] [--meet-in-format\n"
        "               [--word-bits W [--frac-bits F] [--rounding nearest|floor]]]\n"
        "               [--output FILE] [--json]\n"
        "  remez    runs one equiripple exchange of a given length over bands given as\n"
        "           fractions of the sampling frequency:\n"
        "           ondela-cli remez --taps N --bands E1,E2,E3,E4[,...] --desired D1,D2[,...]\n"
        "               --weights W1,W2[,...] [--density L] [--json]\n"
        "  analyse  loads a filter file as the window's Load button does (designed again\n"
        "           from a complete specification, else measured from its coefficients)\n"
        "           and prints the achieved values; --output writes the description as\n"
        "           Save does; --word-bits measures the coefficients as W-bit words:\n"
        "           ondela-cli analyse FILE [--json] [--output FILE2]\n"
        "               [--word-bits W [--frac-bits F] [--rounding nearest|floor]]\n"
        "  response prints the magnitude response of the coefficients stored in a filter\n"
        "           file as \"frequency_hz,level_db\" lines, in a coefficient format or\n"
        "           as W-bit words:\n"
        "           ondela-cli response FILE [--points N] [--format FORMAT |\n"
        "               --word-bits W [--frac-bits F] [--rounding nearest|floor]]\n"
        "  plot     loads a filter file as Load does and writes the window's response\n"
        "           and coefficient plots as one PNG picture:\n"
        "           ondela-cli plot FILE --output PICTURE.png [--log] [--fmin HZ]\n"
        "               [--fmax HZ] [--cursor HZ] [--format FORMAT |\n"
        "               --word-bits W [--frac-bits F] [--rounding nearest|floor]]\n"
        "  export   loads a filter file as Load does, quantises its coefficients to a\n"
        "           fixed-point word and writes them as a file a toolchain reads:\n"
        "           ondela-cli export FILE --to coe|mif|vhdl|verilog|cmsis|csv|npy|json\n"
        "               --word-bits W [--frac-bits F] [--rounding nearest|floor]\n"
        "               [--name IDENT] [--output OUT] [--json]\n"
        "\n"
        "A word of W bits (2 to 32) holds each coefficient c as the integer\n"
        "q = c * 2^F rounded (--rounding; ties away from zero by default), F fraction\n"
        "bits (--frac-bits; by default the most that keep every coefficient inside the\n"
        "word); a coefficient beyond the word's limits saturates and is reported.\n"
        "\n"
        "'ondela-cli COMMAND --help' describes the options of a command.\n"
        "\n"
        "Exit status: 0 a filter was produced (warnings included); 1 none could be\n"
        "produced, or the output could not be written; 2 usage error (for design also\n"
        "an invalid specification).");
    parser.addOption({{"h", "help"}, "Shows this help."});
    parser.addOption({{"v", "version"}, "Shows the version."});
    parser.addPositionalArgument("command", "design, remez, analyse, response, plot or export.",
                                 "COMMAND [options]");

    if (!parser.parse(arguments)) return UsageError(console, Utf8(parser.errorText()));
    if (parser.isSet("help")) {
        const std::string help = HelpText(parser, kUsage);
        std::fwrite(help.data(), 1, help.size(), console.out);
        std::fflush(console.out);
        return kExitFilter;
    }
    if (parser.isSet("version")) {
        // The version the About box and every export state.
        VersionStrings strings;
        ReadVersionInfo(BuiltInVersionBlock, strings);
        PrintLine(console.out, "ondela-cli " + strings.productVersion);
        return kExitFilter;
    }

    const QStringList commandArguments = parser.positionalArguments();
    if (commandArguments.isEmpty()) {
        return UsageError(
            console,
            "no command given (design, remez, analyse, response, plot or export); see "
            "'ondela-cli --help'");
    }
    const QString command = commandArguments.first();
    if (command == "design") return RunDesignCommand(commandArguments, console);
    if (command == "remez") return RunRemezCommand(commandArguments, console);
    if (command == "analyse") return RunAnalyseCommand(commandArguments, console);
    if (command == "response") return RunResponseCommand(commandArguments, console);
    if (command == "plot") return RunPlotCommand(commandArguments, console);
    if (command == "export") return RunExportCommand(commandArguments, console);
    return UsageError(console,
                      "unknown command '" + Utf8(command) +
                          "' (design, remez, analyse, response, plot or export); see 'ondela-cli "
                          "--help'");
}

}  // namespace ondela::cli
