#include "velmarskapplication.h"

#include "dialogs/messagebox.h"
#include "settings/settings.h"
#include "text/conversionerror.h"

namespace velmarsk {

VelmarskApplication::VelmarskApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VelmarskApplication::showCurrentException() {
    try {
        throw;
    } catch (const ConversionError& e) {
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
