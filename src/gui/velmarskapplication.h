#pragma once

#include <QApplication>

namespace velmarsk {

// The last place that shows conversion errors (a text that is no date, a text the files cannot
// hold, a settings file that cannot be written) of a handler that did not: the message appears
// and the program goes on. No exception crosses the event loop. The main window's commands catch
// their own errors first, so that none has to travel through the toolkit's frames.
class VelmarskApplication : public QApplication {
    Q_OBJECT

public:
    VelmarskApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace velmarsk
