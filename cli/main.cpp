// ondela-cli: the command-line designer of linear-phase FIR filters.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/cli_app.h"

namespace {

// The command word: the first argument that is not an option (the global options take no
// values).
bool IsPlotCommand(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        return std::strcmp(argv[i], "plot") == 0;
    }
    return false;
}

// Qt's own warnings (a missing runtime directory on a bare machine, for one) are no messages of
// this program; only its critical and fatal ones reach the error stream.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "ondela-cli: %s\n", qPrintable(text));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // Only plot draws, and drawing needs the platform's fonts: a graphical application, on the
    // offscreen platform unless another one is asked for, so that it needs no display. The
    // other commands stay independent of any window system.
    std::unique_ptr<QCoreApplication> app;
    if (IsPlotCommand(argc, argv)) {
        qInstallMessageHandler(QtMessages);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName("ondela-cli");
    return ondela::cli::RunCli(QCoreApplication::arguments(), {stdout, stderr});
}
