#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "client/shell/FonedeskApp.h"

namespace {

// Qt would abort with a terse line of its own; say what is missing instead.
bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const fonedesk::CommandLineResult command =
        fonedesk::ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (!command.run) {
        return command.exitCode;
    }
    if (!HasDisplay()) {
        std::cerr << "fonedesk: no display to show the window on (DISPLAY and WAYLAND_DISPLAY "
                     "are not set).\nStart it from a desktop session, or use fonerixctl for the "
                     "set without a window.\n";
        return 1;
    }
    QApplication app(argc, argv);
    fonedesk::CFonedeskApp fonedeskApp;
    fonedeskApp.InitApplication(app);
    if (!fonedeskApp.InitInstance()) {
        return 1;
    }
    return QApplication::exec();
}
