// The skeleton every command of ondela-cli runs in: its options are parsed (help, usage errors
// and the options several commands share read here), the command runs, and its result is
// written. A command adds its description and its own options, reads its own options and runs.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "export/fixed_point.h"

namespace ondela::cli {

class CliCommand {
  public:
    virtual ~CliCommand() = default;
    CliCommand(const CliCommand&) = delete;
    CliCommand& operator=(const CliCommand&) = delete;

    // arguments starts with the command word. The exit status: kExitFilter after the help,
    // kExitUsage after a usage error line "ondela-cli NAME: ...", else what Run gives.
    int Main(const QStringList& arguments, const Console& console);

  protected:
    // name is the command word; usage the command as typed, the first line of its help.
    CliCommand(std::string name, std::string usage);

    // The command's description and options, the shared ones through the Add calls below.
    virtual void AddOptions(QCommandLineParser& parser) = 0;
    // Reads the command's own options, after --output and --json, before --format (whose value
    // the command takes in Run). false after UsageError.
    virtual bool ReadOptions(const QCommandLineParser& parser) = 0;
    // Runs the command and writes its result: the exit status.
    virtual int Run() = 0;

    // The shared options, each with the command's own description of it.
    // FILE: the one file the command works on (file).
    void AddFileArgument(QCommandLineParser& parser);
    // --output VALUE: where the result goes (output; an empty name is a usage error).
    void AddOutputOption(QCommandLineParser& parser, const QString& description,
                         const QString& valueName);
    // --json: a JSON report instead of the plain result (json).
    void AddJsonOption(QCommandLineParser& parser, const QString& description);
    // --format FORMAT: a coefficient format (format; an unknown word is a usage error).
    void AddFormatOption(QCommandLineParser& parser, const QString& description);

    // --word-bits W, --frac-bits F, --rounding nearest|floor: a signed fixed-point word, with the
    // command's own description of what it does with it. With optimised, --rounding also takes
    // "optimised": words chosen together by the word search (optimisedWords), the fraction bits
    // settled as for nearest.
    void AddFixedPointOptions(QCommandLineParser& parser, const QString& wordBitsDescription,
                              bool optimised = false);
    // Reads them into fixedPoint (left unset without --word-bits); for ReadOptions. false after
    // UsageError.
    bool ReadFixedPointOptions(const QCommandLineParser& parser);

    // Prints "ondela-cli NAME: what" on the error stream; false, for ReadOptions to give.
    bool UsageError(const std::string& what) const;
    // "ondela-cli NAME: ", which begins every line the command prints about itself.
    std::string Prefix() const { return "ondela-cli " + m_name + ": "; }

    const Console& console() const { return *m_console; }

    QString file;
    QString output;
    bool json = false;
    std::optional<int> format;
    std::optional<FixedPointRequest> fixedPoint;
    bool optimisedWords = false;

  private:
    bool ReadOutputOptions(const QCommandLineParser& parser);
    bool ReadFormatOption(const QCommandLineParser& parser);

    std::string m_name;
    std::string m_usage;
    const Console* m_console = nullptr;
    bool m_takesFile = false;
    bool m_hasOutput = false;
    bool m_hasJson = false;
    bool m_hasFormat = false;
    bool m_takesOptimised = false;
};

}  // namespace ondela::cli
