#pragma once

class QApplication;

namespace velmarsk {

// Whether a window can be shown at all: a display to connect to or a platform chosen by hand.
bool displayAvailable();

// The program from start to end: data folder, settings, logbook, the main window, the message
// loop, and the shut-down that saves everything. Returns the exit code.
int runProgram(QApplication& app);

}  // namespace velmarsk
