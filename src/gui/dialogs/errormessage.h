#pragma once

class QWidget;

namespace velmarsk {

// Shows the message of the exception being handled when it is one the program raises for the
// user (a text that is no date, a text the files cannot hold, a settings file that cannot be
// written); false for any other, which the caller passes on. Call it inside a catch block.
bool showCurrentError(QWidget* parent);

// Runs a command of a window: it stops where an error for the user arose, and the user reads why
// over parent; any other error passes on.
template <typename Command>
void runShowingErrors(QWidget* parent, Command&& command) {
    try {
        command();
    } catch (...) {
        if (!showCurrentError(parent)) throw;
    }
}

}  // namespace velmarsk
