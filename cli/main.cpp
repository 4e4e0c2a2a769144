// ondela-cli: the command-line designer of linear-phase FIR filters.
#include <QCoreApplication>
#include <cstdio>

#include "cli/cli_app.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("ondela-cli");
    return ondela::cli::RunCli(QCoreApplication::arguments(), {stdout, stderr});
}
