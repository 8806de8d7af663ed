// A CSV table from the fuzzer's bytes, read row by row, then imported whole into the small logbook
// of FuzzLogbook. The reader hands out no blank row, rows in order of their lines, and ends at the
// end of the file or with the line it stopped at; a row's date and numbers are the ones its text
// spells in ASCII digits. The import adds each row's flight it has not seen, refuses exactly the rows
// whose values may not be stored or whose start an earlier row took, loses or changes nothing the
// logbook held, moves the running total by what it added, and leaves files that pass the check,
// also when opened anew.
#include "dates/daynumber.h"
#include "exchange/csvcolumns.h"
#include "exchange/csvimport.h"
#include "exchange/csvreader.h"
#include "exchange/flightjson.h"
#include "flightbook/flightbook.h"
#include "fuzzlogbook.h"
#include "importrun.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/nametable.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

using namespace velmarsk;

using namespace velmarsk::fuzz;

// A row's date and numbers against its texts, read here by ASCII digits alone: a date as
// YYYY-MM-DD, DD.MM.YYYY or DD.MM.YY, a time as H:MM (":00" may follow), anything as whole minutes or
// a whole number.
void compareValues(const CsvColumns& columns, const QStringList& fields, const FlightDraft& d) {
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,9}$"));
    static const QRegularExpression time(QStringLiteral("^([0-9]{1,7}):([0-9]{2})(:00)?$"));
    static const QRegularExpression iso(QStringLiteral("^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})$"));
    static const QRegularExpression german(
        QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{2}|[0-9]{4})$"));
    for (qsizetype i = 0; i < columns.columns().size(); ++i) {
        const CsvColumns::Column& c = columns.columns()[i];
        const QString text = fields[i].trimmed();
        if (c.kind == CsvColumns::Kind::Value) {
            const std::uint32_t value = c.info->get(d.record);
            if (text.isEmpty()) {
                require(value == 0, "a value without a text", c.heading);
            } else if (const auto m = number.match(text); m.hasMatch()) {
                require(value == text.toUInt(), "a number taken otherwise than written", text);
            } else {
                const auto t = time.match(text);
                require(t.hasMatch() && c.info->kind == FieldKind::Time &&
                            value == t.captured(1).toUInt() * 60 + t.captured(2).toUInt(),
                        "a time taken otherwise than written", text);
            }
        } else if (c.kind == CsvColumns::Kind::Date) {
            const QDate date = dayNumberToDate(d.record.Date);
            const auto m = iso.match(text);
            const auto g = german.match(text);
            require(m.hasMatch() || g.hasMatch(), "a date taken from a text that is none", text);
            const int year = (m.hasMatch() ? m : g).captured(m.hasMatch() ? 1 : 3).toInt();
            const int month = m.hasMatch() ? m.captured(2).toInt() : g.captured(2).toInt();
            const int day = m.hasMatch() ? m.captured(3).toInt() : g.captured(1).toInt();
            const bool twoDigits = g.hasMatch() && g.capturedLength(3) == 2;
            require(date.day() == day && date.month() == month &&
                        (twoDigits ? date.year() % 100 == year : date.year() == year),
                    "a date taken otherwise than written", text);
        }
    }
}

struct Row {
    int line = 0;
    qint64 end = 0;  // the reader's position behind the row
    std::optional<FlightDraft> draft;
    QString refusal;
};

struct ReadAlone {
    bool opened = false;
    QString openProblem;
    std::vector<Row> rows;
    QString problem;  // why the reading stopped before the end; empty when it did not
    qint64 size = 0;
};

// The table as the reader and the columns make it out, without a logbook.
ReadAlone readAlone(const QString& path, const QByteArray& file) {
    ReadAlone result;
    CsvReader reader;
    if (!reader.open(path)) {
        result.openProblem = reader.problem();
        require(!result.openProblem.isEmpty(), "a table refused without a reason");
        return result;
    }
    require(reader.size() == file.size() && reader.position() <= file.size(), "the header outside the file");
    require(!reader.header().isEmpty(), "a header without a field");
    CsvColumns columns;
    QString reason;
    if (!columns.read(reader.header(), &reason)) {
        require(!reason.isEmpty(), "columns refused without a reason");
        result.openProblem = QStringLiteral("Die Datei %1 kann nicht importiert werden: %2.")
                                 .arg(QDir::toNativeSeparators(path), reason);
        return result;
    }
    result.opened = true;
    result.size = reader.size();
    int lastLine = 1;
    qint64 lastEnd = reader.position();
    for (;;) {
        QStringList fields;
        int line = 0;
        const CsvReader::Status status = reader.next(fields, line);
        if (status == CsvReader::Status::End) {
            require(reader.position() == file.size() && reader.problem().isEmpty(),
                    "the table ended before the end of the file");
            return result;
        }
        if (status == CsvReader::Status::Failed) {
            result.problem = reader.problem();
            require(result.problem.startsWith(QStringLiteral("Zeile %1: ").arg(line)) && line > lastLine,
                    "a fault not named by the line it starts on", result.problem);
            return result;
        }
        require(line > lastLine && reader.position() > lastEnd && reader.position() <= file.size(),
                "a row out of order or outside the bytes");
        require(std::any_of(fields.cbegin(), fields.cend(),
                            [](const QString& f) { return !f.trimmed().isEmpty(); }),
                "a blank row handed out");
        lastLine = line;
        lastEnd = reader.position();
        Row row;
        row.line = line;
        row.end = reader.position();
        row.draft = columns.draft(fields, &row.refusal);
        require(row.draft.has_value() == row.refusal.isEmpty(),
                "a row refused without a reason, or taken with one", row.refusal);
        if (row.draft) {
            require(row.draft->record.Date != 0, "a flight without a date");
            require(firstValueBeyondLimit(row.draft->record) == nullptr, "a value no flight may hold");
            compareValues(columns, fields, *row.draft);
        }
        result.rows.push_back(row);
    }
}

// The flight stored for a row: its numbers, its names trimmed, its routing and its comment
// (scrambled when protected).
void compareImported(Logbook& book, const FlightDraft& d, int position) {
    FlightRecord r;
    StringRecord s;
    require(book.ReadFlight(position, r) && book.ReadStringRecord(position, s),
            "an imported flight cannot be read");
    const NameTable& names = book.names();
    auto sameName = [&](NameRef ref, const QString& text) {
        require(names.NameAt(ref) == NameTable::trimmedName(text), "a name changed on import", text);
    };
    for (std::size_t k = 0; k < std::size_t(kCrewSlots); ++k) {
        sameName(r.Duty[k], d.duty[k]);
        sameName(r.Name[k], d.name[k]);
    }
    sameName(r.Aircraft, d.aircraft);
    sameName(r.Callsign, d.callsign);
    sameName(r.Registration, d.registration);
    sameName(r.Tctp, d.tctp);
    FlightRecord expected = d.record;
    for (std::size_t k = 0; k < std::size_t(kCrewSlots); ++k) {
        expected.Duty[k] = r.Duty[k];
        expected.Name[k] = r.Name[k];
    }
    expected.Aircraft = r.Aircraft;
    expected.Callsign = r.Callsign;
    expected.Registration = r.Registration;
    expected.Tctp = r.Tctp;
    require(r == expected, "a number changed on import");
    const StringRecord texts = d.texts();
    require(s.Routing == texts.Routing && s.Comment == texts.Comment, "routing or comment changed on import");
    (void)FlightJson::write(r, s, book.names());
}

// stopAfter: the user stops the import after that many rows; 0 lets it run to the end.
void importInto(const QString& path, const ReadAlone& alone, int stopAfter) {
    RecordingInteraction ui;
    Settings settings(work().filePath(QString::fromLatin1(Settings::kFileName)));
    Logbook book(work().path(), settings, ui);
    require(book.Open(), "the receiving logbook does not open");
    FlightBook flights(book, settings);
    require(flights.RunningTotal() == kStartTotal, "the running total is not read from the settings");
    const QHash<std::uint32_t, Stored> before = snapshot(book);
    const QStringList namesBefore = book.names().all();
    const int countBefore = book.FlightCount();

    CsvImport import(flights);
    require(import.open(path) == alone.opened, "the import opens differently from the reader");
    require(import.problem() == alone.openProblem, "the import refuses the table otherwise than the reader",
            import.problem());
    if (!alone.opened) return;
    int steps = 0;
    const ImportOutcome outcome = import.run([&](int read, int imported) {
        ++steps;
        require(read == steps && imported <= read, "the progress counts run wrong");
        return read != stopAfter;
    });
    const QString counts = QStringLiteral("read %1, imported %2, rows %3")
                               .arg(outcome.read)
                               .arg(outcome.imported)
                               .arg(alone.rows.size());
    require(outcome.imported >= 0 && outcome.imported <= outcome.read, "more imported than read", counts);
    // The table is far too small to fill the names table: the import stops only where the reader or
    // the user does. Stopped with more of the file left, it says so.
    const bool stopped = stopAfter > 0 && stopAfter <= int(alone.rows.size());
    require(outcome.read == (stopped ? stopAfter : int(alone.rows.size())),
            "the import stopped elsewhere than the reader or the user", counts);
    require(outcome.cancelled == (stopped && alone.rows[std::size_t(stopAfter) - 1].end < alone.size),
            "cancelled told wrongly", counts);
    require(outcome.problem == (stopped ? QString() : alone.problem),
            "the import reports another problem than the reader", outcome.problem);

    // Each row's fate: refused with its line, skipped as held by the logbook, or added.
    QHash<std::uint32_t, int> seen;  // line of the row that added each key
    std::vector<const FlightDraft*> added;
    qint64 minutes = 0;
    QStringList refusals;
    for (int i = 0; i < outcome.read; ++i) {
        const Row& row = alone.rows[std::size_t(i)];
        if (!row.draft) {
            refusals << QStringLiteral("Zeile %1: %2").arg(row.line).arg(row.refusal);
            continue;
        }
        const std::uint32_t key = keyOf(row.draft->record.Date, row.draft->record.Atd);
        if (const auto it = seen.constFind(key); it != seen.cend()) {
            refusals << QStringLiteral("Zeile %1: %2 (Zeile %3).")
                            .arg(row.line)
                            .arg(msg::duplicateStart())
                            .arg(*it);
            continue;
        }
        if (before.contains(key)) continue;
        seen.insert(key, row.line);
        added.push_back(&*row.draft);
        minutes += FlightBook::countedMinutes(row.draft->record);
    }
    require(outcome.refused == refusals, "the import refuses other rows than the reader",
            outcome.refused.join(QLatin1Char('\n')) + QStringLiteral("\n-- expected:\n") +
                refusals.join(QLatin1Char('\n')));
    require(outcome.imported == int(added.size()), "imported flights miscounted", counts);
    require(book.FlightCount() == countBefore + outcome.imported, "flights in the logbook miscounted",
            counts);
    require(flights.RunningTotal() == kStartTotal + minutes, "the running total does not follow the import",
            QStringLiteral("%1 instead of %2").arg(flights.RunningTotal()).arg(kStartTotal + minutes));
    require(book.names().all().mid(0, namesBefore.size()) == namesBefore, "a name of the logbook moved");

    requireKept(book, before);
    for (const FlightDraft* d : added) {
        const int p = book.index().PositionOf(d->record.Date, d->record.Atd);
        require(p > 0, "an imported flight is not in the index");
        compareImported(book, *d, p);
    }
    if (added.empty()) {
        require(outcome.lastPosition == 0, "a last flight where none was added");
    } else {
        const FlightRecord& last = added.back()->record;
        require(outcome.lastPosition == book.index().PositionOf(last.Date, last.Atd),
                "the last flight added is not where the import says");
    }
    const QStringList problems = book.Check();
    require(problems.isEmpty(), "the logbook does not pass its check after the import",
            problems.join(QLatin1Char('\n')));

    // What was stored is on disk: opened anew, the same flights, total and a clean check.
    const QHash<std::uint32_t, Stored> after = snapshot(book);
    book.CloseLogbook();
    Settings settingsAgain(work().filePath(QString::fromLatin1(Settings::kFileName)));
    Logbook again(work().path(), settingsAgain, ui);
    require(again.Open(), "the logbook does not open after the import");
    require(again.FlightCount() == countBefore + outcome.imported, "flights lost on reopening");
    require(FlightBook(again, settingsAgain).RunningTotal() == kStartTotal + minutes,
            "the running total is not kept on disk");
    requireSameAsBefore(again, after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    told().clear();
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = resetWorkFolder(QStringLiteral("tabelle.csv"), file);
    const ReadAlone alone = readAlone(path, file);
    // A table's last byte is mostly a line break, so its length stands for the user instead: every
    // other length stops the import after a few rows.
    const int stopAfter = (size / 16) % 2 == 0 ? 0 : int(size % 16);
    importInto(path, alone, stopAfter);
    return 0;
}
