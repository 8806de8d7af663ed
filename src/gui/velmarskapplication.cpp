#include "velmarskapplication.h"

#include "dialogs/errormessage.h"

namespace velmarsk {

VelmarskApplication::VelmarskApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VelmarskApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!showCurrentError(activeWindow())) throw;
        return false;
    }
}

}  // namespace velmarsk
