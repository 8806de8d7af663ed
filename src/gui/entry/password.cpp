// The logbook's password: asking for it, the "Passwort gültig" switch, and the reminder at the end
// that a protected comment may still stand in plain text in the string file.
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "entry/tfmpassword.h"
#include "flightbook/flightbook.h"
#include "maintenance/tfmordnen.h"
#include "storage/logbook.h"

#include <QCheckBox>

namespace velmarsk {

bool TFMHaupt::AskPassword() {
    TFMPassword dialog(m_book, this);
    m_passwordValid = dialog.exec() == QDialog::Accepted;
    return m_passwordValid;
}

bool TFMHaupt::AskPasswordIfSet() {
    if (!m_book.hasPassword()) return true;
    TFMPassword dialog(m_book, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_passwordValid = true;
    return true;
}

bool TFMHaupt::passwordGiven() {
    return m_passwordValid || AskPassword();
}

void TFMHaupt::CBHasPasswordClick() {
    if (!m_logbook.HasPassword()) return;
    QCheckBox* box = m_mask->CBHasPassword;
    if (!box->isChecked())
        m_passwordValid = false;  // the user locks again
    else if (!m_passwordValid && !AskPassword())
        box->setChecked(false);
    if (EntryState() == Browse) {
        ShowFlight(m_currentPosition);
        if (QWidget* f = focusWidget()) f->clearFocus();
    }
}

void TFMHaupt::shutDown() {
    if (!m_hiddenCommentLeft) return;
    const QString text = QStringLiteral(
        "Ein versteckter Kommentar steht wahrscheinlich noch im Klartext in der Datei.\n"
        "Zum Entfernen die Funktion \"Datei | Datei orden\" aufrufen.\n"
        " Soll dies jetzt geschehen?");
    if (MessageBox::ask(this, QStringLiteral("Verschlüsselung"), text, MessageBox::Icon::Stop,
                        MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes)
        TFMOrdnen::SortAndCompact(m_logbook, this, false);
    m_hiddenCommentLeft = false;
}

}  // namespace velmarsk
