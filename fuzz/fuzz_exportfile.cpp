// An export file from the fuzzer's bytes, read entry by entry, then imported whole into the small
// logbook of FuzzLogbook. The reader hands out exactly the entries the bytes hold; the import adds
// each flight it has not seen with its names translated, loses or changes nothing the logbook held,
// moves the running total by what it added, and leaves files that pass the check, also when opened
// anew.
#include "exchange/exportreader.h"
#include "exchange/flightimport.h"
#include "exchange/flightjson.h"
#include "flightbook/flightbook.h"
#include "fuzzlogbook.h"
#include "importrun.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "storage/nametable.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace velmarsk;

using namespace velmarsk::fuzz;

struct ReadAlone {
    ExportReader::OpenResult open = ExportReader::OpenResult::OpenFailed;
    std::vector<ExportEntry> entries;
    std::vector<bool> refused;    // the entry's values may not be stored: left out, the reading goes on
    QStringList refusals;         // the reader's line for each of them
    std::vector<qsizetype> ends;  // where each entry ends in the file
    ExportReader::Status end = ExportReader::Status::End;
    qsizetype size = 0;
    QString problem;
};

// The entry as its bytes are written, from what the reader made of them.
QByteArray entryBytes(const ExportEntry& e) {
    QByteArray out = e.record.toBytes();
    auto text = [&](const QString& t) {
        const auto encoded = cp1252::encode(t);
        require(encoded.has_value(), "a text read cannot be written back", t);
        out.append(*encoded).append('\0');
    };
    for (const QString& n : e.names) text(n);
    text(e.routing);
    text(e.comment);
    return out;
}

ReadAlone readAlone(const QString& path, const QByteArray& file) {
    ReadAlone result;
    ExportReader reader;
    result.open = reader.open(path);
    require((result.open == ExportReader::OpenResult::Ok) == ExportFile::isExportHeader(file),
            "header accepted or refused against its bytes");
    if (result.open != ExportReader::OpenResult::Ok) return result;
    result.size = reader.size();
    require(reader.size() == file.size() && reader.position() == ExportFile::kHeaderSize,
            "the reader does not start behind the header");
    for (;;) {
        const qsizetype before = reader.position();
        ExportEntry e;
        const ExportReader::Status status = reader.next(e);
        if (status == ExportReader::Status::Flight) {
            require(e.offset == before && reader.position() > before && reader.position() <= file.size(),
                    "an entry outside the bytes read");
            require(e.record.Date != 0, "a flight without a date");
            require(firstValueBeyondLimit(e.record) == nullptr, "a value no flight may hold");
            for (const QString& n : e.names)
                require(NameTable::isStorableName(NameTable::trimmedName(n)), "a name no table can hold", n);
            // Exactly the entry's bytes, so nothing is skipped, added or changed on the way.
            require(entryBytes(e) == file.mid(before, reader.position() - before),
                    "the entry handed out is not the entry's bytes");
            result.entries.push_back(e);
            result.refused.push_back(false);
            result.ends.push_back(reader.position());
            require(reader.entriesRead() == int(result.entries.size()), "entries miscounted");
            continue;
        }
        if (status == ExportReader::Status::Refused) {
            require(reader.position() > before + kFlightRecordSize && reader.position() <= file.size(),
                    "a refused entry outside the bytes read");
            require(reader.problem().contains(QStringLiteral("Flug %1 der Importdatei (ab Byte %2)")
                                                  .arg(result.entries.size() + 1)
                                                  .arg(before)),
                    "a refused entry not named by its number and byte", reader.problem());
            FlightRecord r = FlightRecord::fromBytes(file.constData() + before);
            bool badName = false;
            qsizetype pos = before + kFlightRecordSize;
            for (int i = 0; i < ExportFile::kTexts; ++i) {
                const qsizetype end = file.indexOf('\0', pos);
                if (i < ExportFile::kNameTexts)
                    badName = badName || !NameTable::isStorableName(NameTable::trimmedName(
                                             cp1252::decode(file.mid(pos, end - pos))));
                pos = end + 1;
            }
            require(pos == reader.position(), "a refused entry of another length than its bytes");
            require(badName || firstValueBeyondLimit(r) != nullptr, "an entry refused without a reason");
            result.entries.push_back(ExportEntry{});
            result.refused.push_back(true);
            result.refusals << reader.problem();
            result.ends.push_back(reader.position());
            require(reader.entriesRead() == int(result.entries.size()), "entries miscounted");
            continue;
        }
        result.end = status;
        result.problem = reader.problem();
        if (status == ExportReader::Status::End) {
            require(before == file.size() && result.problem.isEmpty(), "ended before the end of the file");
        } else {
            require(!result.problem.isEmpty(), "a fault without a message");
            const qsizetype rest = file.size() - before;
            // A record without a date is damaged whatever follows it.
            const bool cut = rest < kFlightRecordSize ||
                             ((file.at(before) != 0 || file.at(before + 1) != 0) &&
                              file.mid(before + kFlightRecordSize).count('\0') < ExportFile::kTexts);
            require(cut == (status == ExportReader::Status::Truncated), "cut off and damaged confused");
        }
        // After the end or a fault nothing more comes.
        ExportEntry more;
        require(reader.next(more) == ExportReader::Status::End, "an entry after the end");
        return result;
    }
}

// The flight stored for an entry: the same times and texts, names by their trimmed texts, and the
// training programme either kept or left empty.
void compareImported(Logbook& book, const ExportEntry& e, int position) {
    FlightRecord r;
    StringRecord s;
    require(book.ReadFlight(position, r) && book.ReadStringRecord(position, s),
            "an imported flight cannot be read");
    const ExportFile::NameRefs refs = ExportFile::nameRefs(r);
    for (std::size_t i = 0; i < refs.size(); ++i)
        require(book.names().NameAt(refs[i]) == NameTable::trimmedName(e.names[i]),
                "a name changed on import", e.names[i]);
    require(r.Tctp == e.record.Tctp || book.names().NameAt(r.Tctp).isEmpty(), "a foreign training programme");
    FlightRecord expected = e.record;
    ExportFile::setNameRefs(expected, refs);
    expected.Tctp = r.Tctp;
    require(r == expected, "a number changed on import");
    require(s.Routing == e.routing && s.Comment == e.comment, "routing or comment changed on import");
    (void)FlightJson::write(r, s, book.names());
}

// stopAfter: the user stops the import after that many entries; 0 lets it run to the end.
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

    FlightImport import(flights);
    require(import.open(path) == alone.open, "the import opens differently from the reader");
    if (alone.open != ExportReader::OpenResult::Ok) return;
    int steps = 0;
    const ImportOutcome outcome = import.run([&](int read, int imported) {
        ++steps;
        require(read == steps && imported <= read, "the progress counts run wrong");
        return read != stopAfter;
    });
    const QString counts = QStringLiteral("read %1, imported %2, entries %3")
                               .arg(outcome.read)
                               .arg(outcome.imported)
                               .arg(alone.entries.size());
    require(outcome.imported >= 0 && outcome.imported <= outcome.read, "more imported than read", counts);
    // Every entry the reader accepts can be stored: the import stops only where the reader or the
    // user does. Stopped with more of the file left, it says so and leaves the rest unread.
    const bool stopped = stopAfter > 0 && stopAfter <= int(alone.entries.size());
    require(outcome.read == (stopped ? stopAfter : int(alone.entries.size())),
            "the import stopped elsewhere than the reader or the user", counts);
    require(outcome.cancelled == (stopped && alone.ends[std::size_t(stopAfter) - 1] < alone.size),
            "cancelled told wrongly", counts);
    require(outcome.problem == (stopped ? QString() : alone.problem),
            "the import reports another problem than the reader", outcome.problem);

    QSet<std::uint32_t> seen;
    std::vector<const ExportEntry*> added;
    qint64 minutes = 0;
    QStringList refusals;
    for (int i = 0; i < outcome.read; ++i) {
        const ExportEntry& e = alone.entries[std::size_t(i)];
        if (alone.refused[std::size_t(i)]) {
            refusals << alone.refusals.at(refusals.size());
            continue;
        }
        const std::uint32_t key = keyOf(e.record.Date, e.record.Atd);
        if (before.contains(key) || seen.contains(key)) continue;
        seen.insert(key);
        added.push_back(&e);
        minutes += FlightBook::countedMinutes(e.record);
    }
    require(outcome.refused == refusals, "the import reports other refused entries than the reader",
            outcome.refused.join(QLatin1Char('\n')));
    require(outcome.imported == int(added.size()), "imported flights miscounted", counts);
    require(book.FlightCount() == countBefore + outcome.imported, "flights in the logbook miscounted",
            counts);
    require(flights.RunningTotal() == kStartTotal + minutes, "the running total does not follow the import");
    require(book.names().all().mid(0, namesBefore.size()) == namesBefore, "a name of the logbook moved");

    requireKept(book, before);
    for (const ExportEntry* e : added) {
        const int p = book.index().PositionOf(e->record.Date, e->record.Atd);
        require(p > 0, "an imported flight is not in the index");
        compareImported(book, *e, p);
    }
    if (added.empty()) {
        require(outcome.lastPosition == 0, "a last flight where none was added");
    } else {
        const ExportEntry& last = *added.back();
        require(outcome.lastPosition == book.index().PositionOf(last.record.Date, last.record.Atd),
                "the last flight added is not where the import says");
    }
    const QStringList problems = book.Check();
    require(problems.isEmpty(), "the logbook does not pass its check after the import",
            problems.join(QLatin1Char('\n')));

    // What was stored is on disk: opened anew, the same flights and a clean check.
    const QHash<std::uint32_t, Stored> after = snapshot(book);
    book.CloseLogbook();
    Logbook again(work().path(), settings, ui);
    require(again.Open(), "the logbook does not open after the import");
    require(again.FlightCount() == countBefore + outcome.imported, "flights lost on reopening");
    requireSameAsBefore(again, after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    told().clear();
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = resetWorkFolder(QString::fromLatin1(ExportFile::kDefaultName), file);
    const ReadAlone alone = readAlone(path, file);
    // The last byte (a text's end in every whole file) now and then stands for a user who stops the
    // import after a few flights.
    importInto(path, alone, file.isEmpty() ? 0 : std::uint8_t(file.back()) % 16);
    return 0;
}
