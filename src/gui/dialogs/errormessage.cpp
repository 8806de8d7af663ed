#include "dialogs/errormessage.h"

#include "dialogs/messagebox.h"
#include "settings/settings.h"
#include "storage/messages.h"
#include "text/conversionerror.h"

namespace velmarsk {

bool showCurrentError(QWidget* parent) {
    try {
        throw;
    } catch (const ConversionError& e) {
        MessageBox::tell(parent, QStringLiteral("Fehler"), e.message(), MessageBox::Icon::Error);
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(parent, msg::fileError(), e.message(), MessageBox::Icon::Error);
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace velmarsk
