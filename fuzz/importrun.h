#pragma once

// What the targets that import a file into the small logbook share: a failure report that carries
// what the logbook told the user, an interaction that records it, and the work folder each run
// fills afresh.
#include "fuzzlogbook.h"
#include "settings/settings.h"
#include "storage/flightrecord.h"
#include "storage/interaction.h"
#include "storage/logbook.h"
#include "storage/stringrecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace velmarsk::fuzz {

// What the logbook told the user during the current run.
inline QStringList& told() {
    static QStringList messages;
    return messages;
}

[[noreturn]] inline void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "%s\n%s\n%s\n", what, qPrintable(detail),
                 qPrintable(told().join(QLatin1Char('\n'))));
    std::abort();
}

inline void require(bool holds, const char* what, const QString& detail = {}) {
    if (!holds) fail(what, detail);
}

// Keeps what the logbook says; no question is expected of a whole logbook, and none is agreed to.
class RecordingInteraction final : public Interaction {
public:
    Answer ask(const QString&, const QString& text, Icon, Buttons buttons) override {
        told() << text;
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }
};

// The running total the receiving logbook starts each run with.
inline constexpr qint32 kStartTotal = 500000;

inline std::uint32_t keyOf(std::uint16_t date, std::uint16_t atd) {
    return (std::uint32_t(date) << 16) | atd;
}

// A flight as the logbook holds it: its record's bytes and its texts.
struct Stored {
    QByteArray record;
    QString routing;
    QString comment;
};

// Every flight of the logbook by its key, to hold the logbook after an import against.
inline QHash<std::uint32_t, Stored> snapshot(Logbook& book) {
    QHash<std::uint32_t, Stored> flights;
    for (int p = 1; p <= book.FlightCount(); ++p) {
        FlightRecord r;
        StringRecord s;
        require(book.ReadFlight(p, r) && book.ReadStringRecord(p, s), "a flight cannot be read");
        flights.insert(keyOf(r.Date, r.Atd), {r.toBytes(), s.Routing, s.Comment});
    }
    return flights;
}

// Every flight `before` held is in the logbook still, with the same record and texts.
inline void requireKept(Logbook& book, const QHash<std::uint32_t, Stored>& before) {
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const int p = book.index().PositionOf(std::uint16_t(it.key() >> 16), std::uint16_t(it.key()));
        require(p > 0, "a flight of the logbook is lost");
        FlightRecord r;
        StringRecord s;
        require(book.ReadFlight(p, r) && book.ReadStringRecord(p, s),
                "a flight of the logbook cannot be read");
        require(r.toBytes() == it->record && s.Routing == it->routing && s.Comment == it->comment,
                "a flight of the logbook changed");
    }
}

// The logbook opened anew holds exactly the flights `after` held before closing, and passes its check.
inline void requireSameAsBefore(Logbook& again, const QHash<std::uint32_t, Stored>& after) {
    const QHash<std::uint32_t, Stored> reopened = snapshot(again);
    require(reopened.size() == after.size(), "flights lost on reopening");
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const auto found = reopened.constFind(it.key());
        require(found != reopened.cend() && found->record == it->record && found->routing == it->routing &&
                    found->comment == it->comment,
                "a flight differs after reopening");
    }
    const QStringList problems = again.Check();
    require(problems.isEmpty(), "the reopened logbook does not pass its check",
            problems.join(QLatin1Char('\n')));
}

// In memory where the system offers it: every run writes a whole logbook.
inline QTemporaryDir& work() {
    static QTemporaryDir dir([] {
        const QString shm = QStringLiteral("/dev/shm");
        const QString base = QDir(shm).exists() ? shm : QDir::tempPath();
        return QDir(base).filePath(QStringLiteral("velmarsk-fuzzimport-XXXXXX"));
    }());
    if (!dir.isValid()) fail("no work folder");
    return dir;
}

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size(),
            "cannot write", path);
}

// The receiving logbook afresh, and the file to import beside it under `name`; returns its path.
inline QString resetWorkFolder(const QString& name, const QByteArray& content) {
    QDir dir(work().path());
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
    // No dated copies at closing: they would only slow every run down.
    writeFile(dir.filePath(QString::fromLatin1(Settings::kFileName)),
              QByteArray("[MISC]\r\nSICHERUNGEN=0\r\n[USER]\r\nGESAMTSTUNDEN=") +
                  QByteArray::number(kStartTotal) + "\r\n");
    const auto& base = FuzzLogbook::instance().base();
    for (auto it = base.cbegin(); it != base.cend(); ++it) writeFile(dir.filePath(it.key()), it.value());
    const QString path = dir.filePath(name);
    writeFile(path, content);
    return path;
}

}  // namespace velmarsk::fuzz
