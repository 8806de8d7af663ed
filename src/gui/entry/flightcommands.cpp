// The commands of the main window: new flight, change, save, discard, delete, go to date, print.
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/tmyedit.h"
#include "dates/dateconversionerror.h"
#include "dates/daynumber.h"
#include "dialogs/messagebox.h"
#include "entry/tfmgehedatum.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmdrucken.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "text/cp1252.h"
#include "text/textstorageerror.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace velmarsk {
namespace {

void plainMessage(QWidget* parent, const QString& text) {
    MessageBox::tell(parent, QStringLiteral("Velmarskverwaltung"), text, MessageBox::Icon::None);
}

}  // namespace

void TFMHaupt::NeuerFlugClick() {
    if (m_entryState != Browse) return;
    if (m_logbook.ChangeProtected() && !passwordGiven()) return;
    CBHasPassword->setChecked(m_passwordValid);
    const NameRef empty = nameRef(QString());
    m_currentFlight.Duty.fill(empty);
    m_currentFlight.Name.fill(empty);
    m_currentFlight.Date = m_templateFlight.Date ? m_templateFlight.Date : 1;  // rows are refilled from it
    m_crewCount = 0;
    m_entryState = NewFlight;
    EnableButtons();
    PanelIFR->setVisible(true);
    PanelVFR->setVisible(true);
    SetCrewScroll(1);
    SBName->hide();
    m_currentStringRecord.Routing.clear();
    m_currentStringRecord.Comment.clear();
    applyCommentFont(false);
    CommentHeader->setText(QStringLiteral("&Kommentar"));
    RecordToMask(m_templateFlight);
    EDName[0]->setText(m_settings.text(setting::USER::NAME));
    EDDuty[0]->setText(m_settings.text(setting::USER::FUNCTION));
    EDAircraft->setText(m_settings.text(setting::USER::AIRCRAFT));
    EDRegistration->setText(m_settings.text(setting::USER::REGISTRATION));
    EDDate->setText(DateText(QDate::currentDate()));
    StoreCrewRows();
    startEntry(NewFlight);
}

void TFMHaupt::FlugAendernClick() {
    if (m_entryState != Browse || m_currentPosition < 1) return;
    if (m_logbook.ChangeProtected() && !passwordGiven()) return;
    if (m_currentFlight.CommentHidden == 1 && m_logbook.HasPassword()) {
        if (!passwordGiven()) return;
        ShowFlight(m_currentPosition);  // the comment was covered until now
    }
    CBHasPassword->setChecked(m_passwordValid);
    startEntry(ChangeFlight);
}

void TFMHaupt::BtnokClick() {
    if (m_entryState == Browse) return;
    // Leaving the field runs its checks. One that refuses puts the focus back on the field and
    // stops the save; one that only moved the focus on (to the next crew row, past a completed
    // registration) does not.
    QWidget* left = focusWidget();
    Btnok->setFocus();
    if (left && left != Btnok && focusWidget() == left) return;
    // A flight is stored only complete: every field the mask requires must hold something.
    if (QWidget* missing = firstEmptyRequiredField()) {
        plainMessage(this, QStringLiteral("Eingabe ist erforderlich"));
        missing->setFocus();
        return;
    }
    if (const auto [field, message] = firstUnstorableValue(); field) {
        plainMessage(this, message);
        ApplyEntryRules();  // a field holding a value is enabled, so it can take the focus
        field->setFocus();
        return;
    }
    StoreCrewRows();
    FillCrewRows();
    FlightRecord work = m_currentFlight;
    const FlightRecord old = m_currentFlight;
    MaskToRecord(work);  // raises the conversion error of a wrong date before anything is stored
    for (const QString& t : {m_currentStringRecord.Routing, MemComment->toPlainText()})
        if (!StringRecord::isStorableText(t)) throw TextStorageError(t);

    bool wasProtected = true;
    int position;
    if (m_entryState == ChangeFlight) {
        // The old version stays until the new one is stored: a refused save loses nothing.
        position = m_book.ChangeFlight(m_currentPosition, work, m_currentStringRecord);
        if (position > 0) wasProtected = old.CommentHidden == 1;
    } else {
        position = m_book.AddFlight(work, m_currentStringRecord);
    }
    if (position == Logbook::kDuplicate) {
        plainMessage(this, QStringLiteral("Es existiert bereits ein Flug mit dieser Startzeit"));
        return;  // the mask keeps the entries for a correction
    }
    if (position < 0) return;  // the logbook has said why

    m_entryState = Browse;
    SetAllowedTree(maskArea(), true);
    EnableButtons();
    ShowFlight(position);
    if (m_crewCount > 4 && m_crewCount - 3 < m_crewScrollPos) SetCrewScroll(m_crewCount - 3);
    if (!wasProtected && work.CommentHidden == 1) m_hiddenCommentLeft = true;
    if (QWidget* f = focusWidget()) f->clearFocus();
}

void TFMHaupt::BtnCancelClick() {
    if (m_entryState == Browse) return;
    BtnCancel->setFocus();
    m_entryState = Browse;
    SetAllowedTree(maskArea(), true);
    EnableButtons();
    ShowFlight(m_currentPosition);
    if (QWidget* f = focusWidget()) f->clearFocus();
}

void TFMHaupt::FlugloeschenClick() {
    if (m_entryState != Browse || m_currentPosition < 1) return;
    if (m_logbook.ChangeProtected() && !passwordGiven()) return;
    if (m_currentFlight.CommentHidden == 1 && m_logbook.HasPassword() && !passwordGiven()) return;
    if (MessageBox::ask(this, QStringLiteral("Flug löschen"),
                        QStringLiteral("Flug wird unwiderruflich gelöscht"), MessageBox::Icon::Stop,
                        MessageBox::Buttons::YesNo) != MessageBox::Answer::Yes)
        return;
    if (!m_book.DeleteFlight(m_currentPosition)) return;
    ShowFlight(m_currentPosition);
}

void TFMHaupt::GehezuClick() {
    if (m_entryState != Browse || m_logbook.FlightCount() < 1) return;
    TFMGeheDatum dialog(this);
    dialog.exec();
    GoToDate(dialog.Datum->text());
}

void TFMHaupt::GoToDate(const QString& text) {
    if (text.trimmed() == QStringLiteral(".  .") || text == QStringLiteral("  .  .  ") ||
        text.trimmed().isEmpty())
        return;
    QDate date;
    try {
        date = TextToDate(text);
    } catch (const DateConversionError&) {
        MessageBox::tell(this, QStringLiteral("Fehler"), text + QStringLiteral(" ist kein gültiges Datum"),
                         MessageBox::Icon::Error);
        return;
    }
    const std::int64_t day = dateToDayNumber(date);
    ShowFlight(m_logbook.index().FindFirstOnOrAfter(std::uint16_t(std::clamp<std::int64_t>(day, 0, 0xFFFF))));
}

TFMDrucken* TFMHaupt::printerHolder() {
    if (!m_printerHolder) m_printerHolder = new TFMDrucken(this);
    return m_printerHolder;
}

void TFMHaupt::DruckerwaehlenClick() {
    printerHolder()->PrintDialog(this);
}

void TFMHaupt::FlugdruckenClick() {
    TFMDrucken* holder = printerHolder();
    if (!holder->printWindowImage(this))
        MessageBox::tell(this, QStringLiteral("Drucken"), holder->errorString(), MessageBox::Icon::Error);
}

}  // namespace velmarsk
