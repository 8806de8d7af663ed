// The logbook's password: asking for it, the "Passwort gültig" switch, and the reminder at the end
// that a protected comment may still stand in plain text in the string file.
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "entry/tfmpassword.h"
#include "flightbook/flightbook.h"
#include "maintenance/tfmordnen.h"
#include "storage/backuprotation.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QCheckBox>
#include <QDir>

namespace velmarsk {
namespace {

const QString kProtectCaption = QStringLiteral("Verschlüsselung");

}  // namespace

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
    // "Datei ordnen" reaches only the logbook's own files: the copies are said and asked apart.
    const bool copies = !BackupRotation(m_logbook.dataDir()).list().isEmpty();
    const QString text =
        QStringLiteral(
            "Ein versteckter Kommentar steht wahrscheinlich noch im Klartext in der Datei.\n"
            "Zum Entfernen die Funktion \"Datei | Datei orden\" aufrufen.\n") +
        (copies ? QStringLiteral("Die Sicherungen im Ordner \"Sicherung\" behalten die älteren Texte; "
                                 "\"Datei ordnen\" ändert sie nicht.\n")
                : QString()) +
        QStringLiteral(" Soll dies jetzt geschehen?");
    if (MessageBox::ask(this, kProtectCaption, text, MessageBox::Icon::Stop, MessageBox::Buttons::YesNo) ==
        MessageBox::Answer::Yes)
        TFMOrdnen::SortAndCompact(m_book, this, false);
    if (copies) askAboutCopies();
    m_hiddenCommentLeft = false;
    m_protectedFlights.clear();
}

void TFMHaupt::askAboutCopies() {
    const BackupRotation rotation(m_logbook.dataDir());
    const QString where = QDir::toNativeSeparators(rotation.folder());
    QString error;
    if (MessageBox::ask(this, kProtectCaption,
                        QStringLiteral("Die %1 Sicherungen in %2 enthalten ältere Texte, wahrscheinlich auch "
                                       "den Kommentar im Klartext.\n"
                                       "Sollen die älteren Texte aus den Sicherungen entfernt werden? Die "
                                       "Sicherungen bleiben vollständig, nur ohne diese Texte.")
                            .arg(rotation.list().size())
                            .arg(where),
                        MessageBox::Icon::Question, MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes) {
        int changed = 0;
        if (!rotation.removePlainTexts(m_protectedFlights, &changed, &error))
            MessageBox::tell(this, msg::fileError(), error, MessageBox::Icon::Error);
        return;
    }
    if (MessageBox::ask(this, kProtectCaption,
                        QStringLiteral("Sollen stattdessen alle Sicherungen in %1 gelöscht werden? Ein "
                                       "früherer Stand des Flugbuchs lässt sich dann nicht mehr "
                                       "zurückholen.")
                            .arg(where),
                        MessageBox::Icon::Question, MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes &&
        !rotation.removeAll(&error))
        MessageBox::tell(this, msg::fileError(), error, MessageBox::Icon::Error);
}

}  // namespace velmarsk
