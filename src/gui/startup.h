#pragma once

#include <QString>
#include <optional>

class QApplication;

namespace velmarsk {

// The program's usage, as --help prints it.
QString programUsage();

// --help and --version, answered on standard output before anything needs a display: the exit
// status, or nullopt when the arguments ask for neither.
std::optional<int> answerWithoutWindow(int argc, char** argv);

// Whether a window can be shown at all: a display to connect to or a platform chosen by hand.
bool displayAvailable();

// The toolkit's own texts (print and font dialogs, key names in the menus) in German, like the
// rest of the program. Returns false when the translations are not installed.
bool installToolkitTranslations(QApplication& app);

// The program from start to end: data folder, settings, logbook, the main window, the message
// loop, and the shut-down that saves everything. Returns the exit code.
int runProgram(QApplication& app);

}  // namespace velmarsk
