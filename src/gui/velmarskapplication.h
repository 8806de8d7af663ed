#pragma once

#include <QApplication>

namespace velmarsk {

// The one place that shows conversion errors (a text that is no date, a text the files cannot
// hold, a settings file that cannot be written): the command that raised one stops where it was,
// the message appears, and the program goes on. No exception crosses the event loop.
class VelmarskApplication : public QApplication {
    Q_OBJECT

public:
    VelmarskApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of the exception being handled; false when it is none of ours.
    static bool showCurrentException();
};

}  // namespace velmarsk
