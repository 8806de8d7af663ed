#include "clicommands.h"

#include "dates/daynumber.h"
#include "exchange/flightjson.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "settings/settings.h"
#include "storage/backuprotation.h"
#include "storage/datadir.h"
#include "storage/fileerror.h"
#include "storage/flightpass.h"
#include "storage/journal.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace velmarsk {
namespace {

const char* const kLogbookFiles[] = {Logbook::kDataFile, Logbook::kStringFile, Logbook::kNamesFile,
                                     Logbook::kIndexFile, Logbook::kCrewFile};

// What the password guards in each command that opens the logbook. Showing: the command shows the
// flights or works with them; a flight is not changed by one who may not see it. Changing: it
// stores, replaces or removes flights. create, sort and rebuild-index show and change no flight;
// restore replaces them all but shows no more than backups does, so a copy whose password guards
// showing can be put back, and undone again.
struct CommandGuard {
    const char* command;
    bool showing;
    bool changing;
};

constexpr CommandGuard kCommandGuards[] = {
    {"list", true, false},    {"show", true, false},    {"totals", true, false}, {"total", true, false},
    {"search", true, false},  {"export", true, false},  {"csv", true, false},    {"chart-data", true, false},
    {"add", true, true},      {"change", true, true},   {"delete", true, true},  {"import", true, true},
    {"generate", true, true}, {"restore", false, true},
};

const CommandGuard* guardOf(const QString& command) {
    for (const auto& g : kCommandGuards)
        if (command == QLatin1String(g.command)) return &g;
    return nullptr;
}

// The line and column of a byte offset, for messages about bad JSON.
QString placeOf(const QByteArray& data, int offset) {
    const QByteArray before = data.left(offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = offset - (before.lastIndexOf('\n') + 1) + 1;
    return QStringLiteral("Zeile %1, Spalte %2").arg(line).arg(column);
}

QString parseErrorText(QJsonParseError::ParseError error) {
    switch (error) {
        case QJsonParseError::UnterminatedObject:
            return QStringLiteral("ein Objekt ist nicht abgeschlossen");
        case QJsonParseError::MissingNameSeparator:
            return QStringLiteral("nach einem Schlüssel fehlt der Doppelpunkt");
        case QJsonParseError::UnterminatedArray:
            return QStringLiteral("ein Array ist nicht abgeschlossen");
        case QJsonParseError::MissingValueSeparator:
            return QStringLiteral("zwischen zwei Werten fehlt das Komma");
        case QJsonParseError::IllegalValue:
            return QStringLiteral("ungültiger Wert");
        case QJsonParseError::TerminationByNumber:
            return QStringLiteral("die Eingabe endet mitten in einer Zahl");
        case QJsonParseError::IllegalNumber:
            return QStringLiteral("ungültige Zahl");
        case QJsonParseError::IllegalEscapeSequence:
        case QJsonParseError::IllegalUTF8String:
            return QStringLiteral("ungültiges Zeichen in einem Text");
        case QJsonParseError::UnterminatedString:
            return QStringLiteral("ein Text ist nicht abgeschlossen");
        case QJsonParseError::MissingObject:
            return QStringLiteral("ein Objekt oder Array fehlt");
        case QJsonParseError::GarbageAtEnd:
            return QStringLiteral("nach dem Ende folgen weitere Zeichen");
        default:
            return QStringLiteral("die Eingabe ist kein JSON");
    }
}

}  // namespace

void CliCommands::print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
}

QString CliCommands::timeText(int minutes) {
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString CliCommands::dateText(std::uint16_t day) {
    return dayNumberToDate(day).toString(QStringLiteral("dd.MM.yyyy"));
}

CliCommands::CliCommands(const Invocation& invocation) : m_inv(invocation) {
    m_dir = m_inv.dataDir.isEmpty() ? DataDir::defaultForApplication() : QDir(m_inv.dataDir).absolutePath();
    m_ui.setRestore(m_inv.restore);
}

CliCommands::~CliCommands() = default;

int CliCommands::run() {
    const QString& c = m_inv.command;
    if (c == QLatin1String("datadir")) {
        print(QDir::toNativeSeparators(m_dir) + QLatin1Char('\n'));
        return kOk;
    }
    if (c == QLatin1String("create")) return create();
    if (c == QLatin1String("list")) return list();
    if (c == QLatin1String("show")) return show();
    if (c == QLatin1String("add")) return add();
    if (c == QLatin1String("change")) return change();
    if (c == QLatin1String("delete")) return remove();
    if (c == QLatin1String("rebuild-index")) return rebuildIndex();
    if (c == QLatin1String("sort")) return sort();
    if (c == QLatin1String("check")) return check();
    if (c == QLatin1String("generate")) return generate();
    if (c == QLatin1String("totals")) return totals();
    if (c == QLatin1String("total")) return runningTotal();
    if (c == QLatin1String("search")) return search();
    if (c == QLatin1String("export")) return exportFlight();
    if (c == QLatin1String("import")) return importFlights();
    if (c == QLatin1String("csv")) return csv();
    if (c == QLatin1String("chart-data")) return chartData();
    if (c == QLatin1String("backups")) return backups();
    if (c == QLatin1String("restore")) return restoreBackup();
    return kUsage;
}

void CliCommands::noteTotalNotWritten() const {
    // The flights are stored all the same: a failure status would make a script store them twice.
    if (m_book && m_book->settingsWriteFailed())
        CliInteraction::printNote(
            QStringLiteral("Die Flüge sind gespeichert; nur die Gesamtstunden in tarnoki.ini konnten nicht "
                           "nachgeführt werden (in den Optionen korrigieren)."));
}

bool CliCommands::hasLogbookFiles() const {
    const QDir dir(m_dir);
    for (const char* name : kLogbookFiles)
        if (QFileInfo::exists(dir.filePath(QString::fromLatin1(name)))) return true;
    return false;
}

void CliCommands::reportNoLogbook() const {
    CliInteraction::printError(
        QStringLiteral("Im Ordner %1 gibt es kein Flugbuch; \"velmarsk-cli create\" legt eines an.")
            .arg(QDir::toNativeSeparators(m_dir)));
}

bool CliCommands::open() {
    return openFiles() && passwordAllowsCommand();
}

bool CliCommands::passwordAllowsCommand() const {
    const CommandGuard* guard = guardOf(m_inv.command);
    if (!guard || !m_book->hasPassword()) return true;
    if (m_inv.password && !m_book->isPassword(*m_inv.password)) {
        CliInteraction::printError(QStringLiteral("Passwort falsch"));
        return false;
    }
    const bool needed = (guard->showing && m_book->passwordGuards(FlightBook::Guard::Showing)) ||
                        (guard->changing && m_book->passwordGuards(FlightBook::Guard::Changing));
    if (needed && !m_inv.password) {
        CliInteraction::printError(QStringLiteral("Das Flugbuch ist durch ein Passwort geschützt"));
        return false;
    }
    return true;
}

bool CliCommands::unlocked() const {
    // A wrong password has been refused at opening already.
    return !m_book->hasPassword() || m_inv.password.has_value();
}

bool CliCommands::commentAllowed(const FlightRecord& record) const {
    if (!m_book->passwordGuardsComment(record) || unlocked()) return true;
    CliInteraction::printError(
        QStringLiteral("Der Kommentar ist geschützt: das Passwort mit --password angeben."));
    return false;
}

bool CliCommands::openFiles() {
    if (!QFileInfo(m_dir).isDir()) {
        reportNoLogbook();
        return false;
    }
    m_settings = std::make_unique<Settings>(QDir(m_dir).filePath(QString::fromLatin1(Settings::kFileName)));
    m_logbook = std::make_unique<Logbook>(m_dir, *m_settings, m_ui);
    m_logbook->setRebuildIndexOnOpen(m_rebuildOnOpen);
    if (m_logbook->Open()) {
        m_book = std::make_unique<FlightBook>(*m_logbook, *m_settings);
        return true;
    }
    if (m_ui.logbookMissing()) reportNoLogbook();
    return false;
}

std::optional<int> CliCommands::positionArgument(const QString& text, int* exit) const {
    bool ok = false;
    const int position = text.toInt(&ok);
    if (!ok) {
        CliInteraction::printError(QStringLiteral("Die Position \"%1\" ist keine ganze Zahl.").arg(text));
        *exit = kUsage;
        return std::nullopt;
    }
    return position;
}

bool CliCommands::checkPosition(int position) const {
    if (position >= 1 && position <= m_logbook->FlightCount()) return true;
    CliInteraction::printError(
        QStringLiteral("Es gibt keinen Flug an Position %1; das Flugbuch hat %2 Flüge.")
            .arg(position)
            .arg(m_logbook->FlightCount()));
    return false;
}

QString CliCommands::describe(const FlightRecord& record) const {
    return dateText(record.Date) + QLatin1Char(' ') + timeText(record.Atd);
}

std::optional<QList<FlightDraft>> CliCommands::readFlights(const QString& source, bool single) const {
    QFile file;
    const bool fromStdin = source.isEmpty() || source == QLatin1String("-");
    const bool opened = fromStdin ? file.open(stdin, QIODevice::ReadOnly)
                                  : (file.setFileName(source), file.open(QIODevice::ReadOnly));
    const QString where =
        fromStdin ? QStringLiteral("der Standardeingabe") : QDir::toNativeSeparators(source);
    if (!opened) {
        CliInteraction::printError(
            QStringLiteral("%1 kann nicht gelesen werden: %2").arg(where, fileErrorText(file)));
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        CliInteraction::printError(
            QStringLiteral("Ungültiges JSON in %1 (%2): %3")
                .arg(where, placeOf(data, parseError.offset), parseErrorText(parseError.error)));
        return std::nullopt;
    }
    QList<QJsonValue> values;
    if (doc.isObject()) {
        values << doc.object();
    } else if (!single) {
        const QJsonArray array = doc.array();
        values = QList<QJsonValue>(array.begin(), array.end());
    }
    if (values.isEmpty() && (single || !doc.isArray())) {
        CliInteraction::printError(
            single ? QStringLiteral("Erwartet wird ein JSON-Objekt mit einem Flug.")
                   : QStringLiteral("Erwartet wird ein JSON-Objekt oder ein Array von Objekten."));
        return std::nullopt;
    }
    QList<FlightDraft> drafts;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString which =
            values.size() > 1 || doc.isArray() ? QStringLiteral("Flug %1: ").arg(i + 1) : QString();
        QString error;
        if (!values[i].isObject()) {
            CliInteraction::printError(which + QStringLiteral("kein JSON-Objekt."));
            return std::nullopt;
        }
        auto draft = FlightJson::read(values[i].toObject(), &error);
        if (!draft) {
            CliInteraction::printError(which + error);
            return std::nullopt;
        }
        drafts << *draft;
    }
    return drafts;
}

// ---------------------------------------------------------------------------------------------

int CliCommands::create() {
    QString error;
    if (!DataDir::create(m_dir, &error)) {
        CliInteraction::printError(error);
        return kError;
    }
    if (hasLogbookFiles()) {
        CliInteraction::printError(
            QStringLiteral("Im Ordner %1 liegt bereits ein Flugbuch; es wird nicht überschrieben.")
                .arg(QDir::toNativeSeparators(m_dir)));
        return kError;
    }
    m_ui.setCreateAllowed(true);
    if (!open()) return kError;
    CliInteraction::printNote(
        QStringLiteral("Neues Flugbuch in %1 angelegt.").arg(QDir::toNativeSeparators(m_dir)));
    return kOk;
}

int CliCommands::list() {
    if (!open()) return kError;
    QString out;
    const FlightIndex& index = m_logbook->index();
    for (int p = 1; p <= index.FlightCount(); ++p) {
        const IndexEntry& e = index.EntryAt(p);
        out += QString::number(p) + QLatin1Char('\t') + dateText(e.Date) + QLatin1Char('\t') +
               timeText(e.Atd) + QLatin1Char('\t') + QString::number(e.RecNo) + QLatin1Char('\t') +
               QString::number(e.StrPos) + QLatin1Char('\n');
    }
    print(out);
    // The list holds no name, but a script reading it is told of damage as every reader is.
    return m_book->tellDamage(*m_book->pass()) ? kError : kOk;
}

int CliCommands::show() {
    int exit = kError;
    const auto position = positionArgument(m_inv.args.at(0), &exit);
    if (!position) return exit;
    if (!open() || !checkPosition(*position)) return kError;
    const auto pass = m_book->pass();
    FlightRecord record;
    StringRecord texts;
    if (!m_logbook->ReadFlight(*position, record)) return kError;
    // Texts without their tag are told with the damage; a flight without its texts is not shown.
    const bool textsRead = pass->ReadStringRecord(*position, texts);
    if (!pass->ok()) return kError;
    const bool damaged = m_book->tellDamage(*pass);
    if (!textsRead) return kError;
    QJsonObject flight = FlightJson::write(record, texts, m_logbook->names());
    if (m_book->passwordGuardsComment(record) && !unlocked()) {
        // Withheld rather than emptied: given back to change, null is refused, an empty text would
        // clear the comment.
        flight.insert(QStringLiteral("Comment"), QJsonValue::Null);
        CliInteraction::printNote(
            QStringLiteral("Der Kommentar ist geschützt; mit --password wird er gezeigt."));
    }
    print(QString::fromUtf8(QJsonDocument(flight).toJson(QJsonDocument::Indented)));
    return damaged ? kError : kOk;
}

int CliCommands::add() {
    auto drafts = readFlights(m_inv.args.value(0), false);
    if (!drafts) return kError;
    if (!open()) return kError;
    QList<bool> stored;
    bool failed = false;
    m_book->beginBatch();
    for (qsizetype i = 0; i < drafts->size() && !failed; ++i) {
        FlightDraft& d = (*drafts)[i];
        // Refused before its texts reach the names table.
        int position =
            m_logbook->index().PositionOf(d.record.Date, d.record.Atd) != 0 ? Logbook::kDuplicate : 0;
        if (position == 0) {
            if (!d.resolve(m_logbook->names())) {
                CliInteraction::printError(
                    QStringLiteral("Flug %1: Das Namensverzeichnis ist voll.").arg(i + 1));
                failed = true;
                break;
            }
            position = m_book->AddFlight(d.record, d.texts());
        }
        if (position == Logbook::kDuplicate)
            CliInteraction::printError(QStringLiteral("Flug %1 (%2) nicht gespeichert: %3")
                                           .arg(i + 1)
                                           .arg(describe(d.record), msg::duplicateStart()));
        else if (position < 0)
            failed = true;
        stored << (position > 0);
    }
    if (!m_book->endBatch()) failed = true;
    noteTotalNotWritten();
    // Positions after all additions, so that each one names its flight.
    QString out;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const FlightRecord& r = (*drafts)[i].record;
        out +=
            stored[i] ? QString::number(m_logbook->index().PositionOf(r.Date, r.Atd)) : QStringLiteral("-");
        out += QLatin1Char('\n');
    }
    print(out);
    if (failed) return kError;
    return stored.contains(false) ? kRefused : kOk;
}

int CliCommands::change() {
    int exit = kError;
    const auto position = positionArgument(m_inv.args.at(0), &exit);
    if (!position) return exit;
    auto drafts = readFlights(m_inv.args.value(1), true);
    if (!drafts) return kError;
    if (!open() || !checkPosition(*position)) return kError;
    FlightRecord old;
    if (!m_logbook->ReadFlight(*position, old) || !commentAllowed(old)) return kError;
    FlightDraft& d = drafts->first();
    const int other = m_logbook->index().PositionOf(d.record.Date, d.record.Atd);
    if (other != 0 && other != *position) {
        CliInteraction::printError(QStringLiteral("%1 (%2); der Flug an Position %3 bleibt unverändert.")
                                       .arg(msg::duplicateStart(), describe(d.record))
                                       .arg(*position));
        return kRefused;
    }
    if (!d.resolve(m_logbook->names())) {
        CliInteraction::printError(QStringLiteral("Das Namensverzeichnis ist voll."));
        return kError;
    }
    const int newPosition = m_book->ChangeFlight(*position, d.record, d.texts());
    if (newPosition == Logbook::kDuplicate) {
        CliInteraction::printError(msg::duplicateStart());
        return kRefused;
    }
    if (newPosition < 0) return kError;
    print(QString::number(newPosition) + QLatin1Char('\n'));
    noteTotalNotWritten();
    return kOk;
}

int CliCommands::remove() {
    int exit = kError;
    const auto position = positionArgument(m_inv.args.at(0), &exit);
    if (!position) return exit;
    if (!open() || !checkPosition(*position)) return kError;
    FlightRecord old;
    if (!m_logbook->ReadFlight(*position, old) || !commentAllowed(old)) return kError;
    if (!m_book->DeleteFlight(*position)) return kError;
    noteTotalNotWritten();
    return kOk;
}

int CliCommands::rebuildIndex() {
    m_rebuildOnOpen = true;
    return open() ? kOk : kError;
}

int CliCommands::sort() {
    if (!open()) return kError;
    NullProgress progress;
    const SortResult r = m_logbook->SortAndCompact(true, progress);
    if (!r.completed) {
        CliInteraction::printError(
            QStringLiteral("Das Ordnen wurde nicht abgeschlossen; die Dateien sind unverändert."));
        return kError;
    }
    print(QStringLiteral("%1 Sätze getauscht\n%2 Byte gewonnen\n%3 Namen gelöscht\n")
              .arg(r.swaps)
              .arg(r.bytesGained)
              .arg(r.namesRemoved));
    return kOk;
}

int CliCommands::check() {
    // Opening may upgrade, rebuild or repair; the check opens a copy so the folder stays untouched,
    // and counts whatever opening had to report as a problem.
    if (!QFileInfo(m_dir).isDir() || !hasLogbookFiles()) {
        reportNoLogbook();
        return kError;
    }
    // The copy is taken under the folder's lock, so that no other program writes while it is made.
    Settings realSettings(QDir(m_dir).filePath(QString::fromLatin1(Settings::kFileName)));
    Logbook real(m_dir, realSettings, m_ui);
    if (!real.LockFolder()) return kError;
    QTemporaryDir work;
    if (!work.isValid()) {
        CliInteraction::printError(QStringLiteral("Kein Arbeitsordner für die Prüfung: ") +
                                   work.errorString());
        return kError;
    }
    QStringList names{QString::fromLatin1(Settings::kFileName)};
    for (const char* f : kLogbookFiles) names << QString::fromLatin1(f);
    for (const QString& name : names) {
        const QString from = QDir(m_dir).filePath(name);
        QString error;
        if (QFileInfo::exists(from) && !copyFileAtomically(from, QDir(work.path()).filePath(name), &error)) {
            CliInteraction::printError(
                QStringLiteral("Die Prüfkopie kann nicht angelegt werden: %1").arg(error));
            return kError;
        }
    }
    Settings settings(QDir(work.path()).filePath(QString::fromLatin1(Settings::kFileName)));
    CliInteraction ui;
    ui.setCollecting(true);
    Logbook copy(work.path(), settings, ui);
    const bool opened = copy.Open();
    if (ui.logbookMissing()) {
        reportNoLogbook();
        return kError;
    }
    QStringList problems = ui.collected();
    // The copy is opened without the journal: what a step left unfinished shows as it lies.
    if (Journal::exists(m_dir))
        problems << QStringLiteral("%1: ein unterbrochener Vorgang wird beim nächsten Öffnen abgeschlossen.")
                        .arg(QString::fromLatin1(Journal::kFileName));
    if (opened) problems << copy.Check();
    copy.CloseLogbook();
    if (problems.isEmpty()) {
        print(QStringLiteral("ok\n"));
        return kOk;
    }
    const QString workPath = QDir::toNativeSeparators(QDir(work.path()).absolutePath());
    QString out;
    for (QString p : problems)
        out += p.replace(workPath, QDir::toNativeSeparators(m_dir)) + QLatin1Char('\n');
    print(out);
    return kError;
}

int CliCommands::runningTotal() {
    std::optional<qint32> minutes;
    if (!m_inv.args.isEmpty()) {
        static const QRegularExpression time(QStringLiteral("^(\\d{1,7}):([0-5]\\d)$"));
        const QRegularExpressionMatch m = time.match(m_inv.args.at(0));
        if (!m.hasMatch()) {
            CliInteraction::printError(
                QStringLiteral("\"%1\" ist keine Zeit in Stunden und Minuten (STD:MM).")
                    .arg(m_inv.args.at(0)));
            return kUsage;
        }
        minutes = qint32(m.captured(1).toInt() * 60 + m.captured(2).toInt());
    }
    if (!open()) return kError;
    if (minutes) {
        try {
            m_book->setRunningTotal(*minutes);
        } catch (const SettingsWriteError& e) {
            CliInteraction::printError(e.message());
            return kError;
        }
    }
    const qint32 total = m_book->RunningTotal();
    print((total < 0 ? QStringLiteral("-") : QString()) + timeText(total < 0 ? -total : total) +
          QLatin1Char('\n'));
    return kOk;
}

int CliCommands::generate() {
    bool ok = false;
    const int count = m_inv.args.at(0).toInt(&ok);
    if (!ok || count < 1 || count > FlightIndex::kMaxFlights) {
        CliInteraction::printError(QStringLiteral("Die Anzahl \"%1\" liegt nicht zwischen 1 und %2.")
                                       .arg(m_inv.args.at(0))
                                       .arg(FlightIndex::kMaxFlights));
        return kUsage;
    }
    if (!open()) return kError;
    const int room = FlightIndex::kMaxFlights - m_logbook->FlightCount();
    if (count > room) {
        CliInteraction::printError(
            QStringLiteral("Das Flugbuch kann nur noch %1 Flüge aufnehmen.").arg(room));
        return kError;
    }
    FlightGenerator generator(m_inv.seed.value_or(1), count);
    const int added = generator.addTo(*m_book, count);
    noteTotalNotWritten();
    return added == count ? kOk : kError;
}

int CliCommands::backups() {
    const QList<BackupRotation::Backup> list = BackupRotation(m_dir).list();
    if (list.isEmpty()) {
        CliInteraction::printNote(QStringLiteral("Im Ordner %1 gibt es keine Sicherungen.")
                                      .arg(QDir::toNativeSeparators(BackupRotation(m_dir).folder())));
        return kOk;
    }
    QString out;
    for (const auto& b : list)
        out += b.name + QLatin1Char('\t') + b.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) +
               QLatin1Char('\t') +
               (b.flights < 0 ? QStringLiteral("Index nicht lesbar")
                              : QStringLiteral("%1 Flüge").arg(b.flights)) +
               QLatin1Char('\n');
    print(out);
    return kOk;
}

int CliCommands::restoreBackup() {
    const QString name = m_inv.args.at(0);
    if (openFiles()) {
        if (!passwordAllowsCommand()) return kError;
        const QString passwordNote =
            BackupRotation(m_dir).protectionChange(name, LogbookProtection::of(*m_logbook));
        if (!m_book->RestoreFromBackup(name)) return kError;
        CliInteraction::printNote(
            QStringLiteral("Die Sicherung %1 ist zurückgeholt (%2 Flüge); die Dateien davor sind als "
                           "neueste Sicherung abgelegt.")
                .arg(name)
                .arg(m_logbook->FlightCount()));
        if (!passwordNote.isEmpty()) CliInteraction::printNote(passwordNote);
        return m_book->settingsWriteFailed() ? kError : kOk;
    }
    // A logbook too damaged to open is what a copy is for: restored under the lock alone, and the
    // running total, which cannot be compared, stays as it is.
    if (!QFileInfo(m_dir).isDir()) return kError;
    m_logbook.reset();
    QLockFile lock(QDir(m_dir).filePath(QString::fromLatin1(Logbook::kLockFile)));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        CliInteraction::printError(
            QStringLiteral("Das Flugbuch in %1 ist in einem anderen Programm geöffnet.")
                .arg(QDir::toNativeSeparators(m_dir)));
        return kError;
    }
    const int keep = int(std::clamp<qint64>(m_settings->integer(setting::MISC::SICHERUNGEN), 0, 1000));
    // The logbook's own password cannot be read: the note says what the copy brings.
    const QString passwordNote = BackupRotation(m_dir).protectionChange(name, std::nullopt);
    QString error;
    if (!BackupRotation(m_dir).restore(name, keep, &error)) {
        CliInteraction::printError(error);
        return kError;
    }
    CliInteraction::printNote(
        QStringLiteral("Die Sicherung %1 ist zurückgeholt; die Dateien davor sind als neueste Sicherung "
                       "abgelegt. Die Gesamtstunden sind unverändert.")
            .arg(name));
    if (!passwordNote.isEmpty()) CliInteraction::printNote(passwordNote);
    return kOk;
}

}  // namespace velmarsk
