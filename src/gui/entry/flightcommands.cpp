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
    if (EntryState() != Browse) return;
    if (m_book.passwordGuards(FlightBook::Guard::Changing) && !passwordGiven()) return;
    m_mask->CBHasPassword->setChecked(m_passwordValid);
    m_mask->BeginNewFlight();
}

void TFMHaupt::FlugAendernClick() {
    if (EntryState() != Browse || m_currentPosition < 1) return;
    if (m_book.passwordGuards(FlightBook::Guard::Changing) && !passwordGiven()) return;
    if (m_book.passwordGuardsComment(m_mask->CurrentFlight())) {
        if (!passwordGiven()) return;
        ShowFlight(m_currentPosition);  // the comment was covered until now
    }
    m_mask->CBHasPassword->setChecked(m_passwordValid);
    m_mask->startEntry(ChangeFlight);
}

void TFMHaupt::BtnokClick() {
    if (EntryState() == Browse) return;
    EntryMask& m = *m_mask;
    // Leaving the field runs its checks. One that refuses puts the focus back on the field and
    // stops the save; one that only moved the focus on (to the next crew row, past a completed
    // registration) does not.
    QWidget* left = focusWidget();
    m.Btnok->setFocus();
    if (left && left != m.Btnok && focusWidget() == left) return;
    // A flight is stored only complete: every field the mask requires must hold something.
    if (QWidget* missing = m.firstEmptyRequiredField()) {
        plainMessage(this, QStringLiteral("Eingabe ist erforderlich"));
        missing->setFocus();
        return;
    }
    if (const auto [field, message] = m.firstUnstorableValue(); field) {
        plainMessage(this, message);
        m.ApplyEntryRules();  // a field holding a value is enabled, so it can take the focus
        field->setFocus();
        return;
    }
    const FlightRecord old = m.CurrentFlight();
    StringRecord texts;
    const FlightRecord work = m.TakeFlight(texts);

    bool wasProtected = true;
    int position;
    if (EntryState() == ChangeFlight) {
        // The old version stays until the new one is stored: a refused save loses nothing.
        position = m_book.ChangeFlight(m_currentPosition, work, texts);
        if (position > 0) wasProtected = old.commentProtected();
    } else {
        position = m_book.AddFlight(work, texts);
    }
    if (position == Logbook::kDuplicate) {
        plainMessage(this, QStringLiteral("Es existiert bereits ein Flug mit dieser Startzeit"));
        return;  // the mask keeps the entries for a correction
    }
    if (position < 0) return;  // the logbook has said why

    endEntry(position);
    const int crewCount = m.CrewCount();
    if (crewCount > 4 && crewCount - 3 < m.CrewScrollPos()) m.SetCrewScroll(crewCount - 3);
    if (!wasProtected && work.commentProtected()) {
        m_hiddenCommentLeft = true;
        m_protectedFlights << (std::uint32_t(old.Date) << 16 | old.Atd)
                           << (std::uint32_t(work.Date) << 16 | work.Atd);
    }
}

void TFMHaupt::BtnCancelClick() {
    if (EntryState() == Browse) return;
    m_mask->BtnCancel->setFocus();
    endEntry(m_currentPosition);
}

void TFMHaupt::endEntry(int position) {
    SetAllowedTree(m_mask, true);
    m_mask->setEntryState(Browse);
    ShowFlight(position);
    if (QWidget* f = focusWidget()) f->clearFocus();
}

void TFMHaupt::FlugloeschenClick() {
    if (EntryState() != Browse || m_currentPosition < 1) return;
    if (m_book.passwordGuards(FlightBook::Guard::Changing) && !passwordGiven()) return;
    if (m_book.passwordGuardsComment(m_mask->CurrentFlight()) && !passwordGiven()) return;
    if (MessageBox::ask(this, QStringLiteral("Flug löschen"),
                        QStringLiteral("Flug wird unwiderruflich gelöscht"), MessageBox::Icon::Stop,
                        MessageBox::Buttons::YesNo) != MessageBox::Answer::Yes)
        return;
    if (!m_book.DeleteFlight(m_currentPosition)) return;
    ShowFlight(m_currentPosition);
}

void TFMHaupt::GehezuClick() {
    if (EntryState() != Browse || m_logbook.FlightCount() < 1) return;
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
        date = FieldDate(text);
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
    if (!holder->printWindowImage(m_mask))
        MessageBox::tell(this, QStringLiteral("Drucken"), holder->errorString(), MessageBox::Icon::Error);
}

}  // namespace velmarsk
