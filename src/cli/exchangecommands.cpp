// velmarsk-cli export, import and csv: flights between logbooks and out to a spreadsheet.
#include "clicommands.h"

#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "exchange/csvexport.h"
#include "exchange/exportfile.h"
#include "exchange/flightimport.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"

namespace velmarsk {
namespace {

// A date option of the range (day.month.year); nullopt after the message.
std::optional<std::uint16_t> dayOption(const Invocation& inv, const char* name, std::uint16_t fallback) {
    if (!inv.has(name)) return fallback;
    try {
        const std::int64_t day = dateToDayNumber(TextToDate(inv.option(name)));
        if (day >= 0) return std::uint16_t(day);
        CliInteraction::printError(DateConversionError(inv.option(name)).message());
    } catch (const DateConversionError& e) {
        CliInteraction::printError(e.message());
    }
    return std::nullopt;
}

}  // namespace

int CliCommands::exportFlight() {
    int exit = kError;
    const auto position = positionArgument(m_inv.args.at(0), &exit);
    if (!position) return exit;
    if (!open() || !checkPosition(*position)) return kError;
    const auto pass = m_book->pass();
    FlightRecord record;
    if (!pass->ReadFlight(*position, record)) return kError;
    if (!commentAllowed(record)) return kError;
    EntryWriter writer(m_logbook->names());
    if (!writer.addFromPass(*pass, *position, *position)) {
        CliInteraction::printError(
            QStringLiteral("Die Texte des Flugs an Position %1 können nicht gelesen werden.").arg(*position));
        return kError;
    }
    const QString file = m_inv.args.at(1);
    QString reason;
    const ExportFile::Result result = ExportFile::append(file, writer.bytes(), &reason);
    if (result == ExportFile::Result::Ok) return kOk;
    CliInteraction::printMessage(ExportFile::message(result, file, reason));
    return kError;
}

int CliCommands::importFlights() {
    if (!open()) return kError;
    FlightImport import(*m_book);
    const ExportReader::OpenResult opened = import.open(m_inv.args.at(0));
    if (opened != ExportReader::OpenResult::Ok) {
        CliInteraction::printMessage(ExportReader::openMessage(opened));
        return kError;
    }
    const ImportOutcome result = import.run();
    print(QStringLiteral("Datensätze: %1\nimportiert: %2\n").arg(result.read).arg(result.imported));
    for (const QString& refusal : result.refused) CliInteraction::printMessage(refusal);
    if (!result.problem.isEmpty()) CliInteraction::printMessage(result.problem);
    return result.problem.isEmpty() && result.refused.isEmpty() ? kOk : kError;
}

int CliCommands::csv() {
    const auto from = dayOption(m_inv, "--from", 1);
    const auto to = dayOption(m_inv, "--to", 0xFFFF);
    if (!from || !to) return kUsage;
    if (!open()) return kError;
    int count = 0;
    const auto pass = m_book->pass();
    // Protected comments are written only with the password; the others stand in every row.
    const QByteArray table = CsvExport::build(*pass, *from, *to, unlocked(), &count);
    if (!pass->ok()) return kError;
    // The table is written all the same: what could be read is the pilot's.
    const bool damaged = m_book->tellDamage(*pass);
    QString error;
    if (!CsvExport::write(m_inv.args.at(0), table, &error)) {
        CliInteraction::printError(
            QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(m_inv.args.at(0), error));
        return kError;
    }
    print(QStringLiteral("Flüge: %1\n").arg(count));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
