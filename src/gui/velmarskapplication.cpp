#include "velmarskapplication.h"

#include "dates/dateconversionerror.h"
#include "dialogs/messagebox.h"
#include "settings/settings.h"
#include "text/textstorageerror.h"

namespace velmarsk {

VelmarskApplication::VelmarskApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VelmarskApplication::showCurrentException() {
    try {
        throw;
    } catch (const DateConversionError& e) {
        MessageBox::tell(activeWindow(), QStringLiteral("Fehler"), e.message(), MessageBox::Icon::Error);
    } catch (const TextStorageError& e) {
        MessageBox::tell(activeWindow(), QStringLiteral("Fehler"), e.message(), MessageBox::Icon::Error);
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(activeWindow(), QStringLiteral("Dateifehler"), e.message(), MessageBox::Icon::Error);
    } catch (...) {
        return false;
    }
    return true;
}

bool VelmarskApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!showCurrentException()) throw;
        return false;
    }
}

}  // namespace velmarsk
