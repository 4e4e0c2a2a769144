// The designer: one application object whose start-up runs the main window until the user
// quits.
#include <QApplication>

#include "app/about/ondela_icon.h"
#include "app/ondela_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Ondela");
    QApplication::setOrganizationName("MQ");
    QApplication::setWindowIcon(ondela::OndelaIcon());
    ondela::OndelaApp ondela;
    // A designer that could not start (no usable settings store) ends with a failure status.
    return ondela.StartUp() ? 0 : 1;
}
