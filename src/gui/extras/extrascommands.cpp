// The main window's commands of the extras: export, import, CSV export, crew info and info.
#include "controls/subs.h"
#include "dates/daynumber.h"
#include "entry/entrymask.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmcrewinfo.h"
#include "extras/tfmcsvexport.h"
#include "extras/tfmcsvimport.h"
#include "extras/tfmexportflug.h"
#include "extras/tfminfo.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"

#include <QDir>
#include <QStatusBar>

namespace velmarsk {
namespace {

// Long enough to be read after the file dialog has closed.
constexpr int kExportNoticeMs = 30000;

}  // namespace

TFMExportFlug* TFMHaupt::exportWindow() {
    if (!m_exportWindow) m_exportWindow = new TFMExportFlug(m_book, this);
    return m_exportWindow;
}

void TFMHaupt::ExportierenClick() {
    // With no flight shown there is nothing to export; an entry without date would end every import.
    if (m_currentPosition < 1 || m_currentPosition > m_logbook.FlightCount()) return;
    if (m_book.passwordGuardsComment(m_mask->CurrentFlight()) && !m_passwordValid && !AskPassword()) return;
    // An export file collects flights one at a time and shows nothing of them: say where this one went.
    statusBar()->clearMessage();
    const QString file = exportWindow()->ExportFlight(m_currentPosition);
    if (!file.isEmpty())
        statusBar()->showMessage(
            QStringLiteral("Flug vom %1 an %2 angeh\u00e4ngt.")
                .arg(DateText(dayNumberToDate(m_mask->CurrentFlight().Date)), QDir::toNativeSeparators(file)),
            kExportNoticeMs);
}

void TFMHaupt::ImportierenClick() {
    // Adding flights is a change like a new flight.
    if (m_book.passwordGuards(FlightBook::Guard::Changing) && !passwordGiven()) return;
    const int shown = m_currentPosition;
    const std::optional<ImportOutcome> outcome = exportWindow()->ImportFlights();
    ShowFlight(outcome && outcome->lastPosition > 0 ? outcome->lastPosition
                                                    : std::min(shown, m_logbook.FlightCount()));
}

void TFMHaupt::CsvExportierenClick() {
    TFMCsvExport dialog(*this);
    CenterOverMainForm(&dialog);
    dialog.exec();
}

void TFMHaupt::CsvImportierenClick() {
    // Adding flights is a change like a new flight.
    if (m_book.passwordGuards(FlightBook::Guard::Changing) && !passwordGiven()) return;
    const int shown = m_currentPosition;
    const std::optional<ImportOutcome> outcome = TFMCsvImport::ImportCsv(*this);
    ShowFlight(outcome && outcome->lastPosition > 0 ? outcome->lastPosition
                                                    : std::min(shown, m_logbook.FlightCount()));
}

void TFMHaupt::CrewInfoClick() {
    if (!bringToFront(m_crewInfo)) m_crewInfo = TFMCrewInfo::OpenCrewInfo(*this);
}

TFMCrewInfo* TFMHaupt::crewInfoWindow() const {
    return m_crewInfo;
}

void TFMHaupt::InfoClick() {
    TFMInfo info(m_logbook.dataDir(), m_logbook.FlightCount(), this);
    CenterOverMainForm(&info);
    info.exec();
}

}  // namespace velmarsk
