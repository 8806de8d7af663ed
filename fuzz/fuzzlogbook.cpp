#include "fuzzlogbook.h"

#include "exchange/flightjson.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "settings/settings.h"
#include "storage/fileheader.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QMultiMap>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace velmarsk::fuzz {
namespace {

// Answers as a careful user would: no new logbook over damaged files, yes to every repair. Keeps
// what it was told, for the report of a finding.
class QuietInteraction final : public Interaction {
public:
    Answer ask(const QString&, const QString& text, Icon, Buttons buttons) override {
        told << text;
        if (buttons == Buttons::Ok) return Answer::Ok;
        return text == msg::noLogbook() ? Answer::No : Answer::Yes;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }
    QStringList told;
};

// A temporary folder in memory where the system has one: every run writes its files anew.
QString workTemplate() {
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QDir(shm).exists() ? shm : QDir::tempPath();
    return QDir(base).filePath(QStringLiteral("velmarsk-fuzz-XXXXXX"));
}

const char* const kFiles[] = {Logbook::kDataFile, Logbook::kStringFile, Logbook::kIndexFile,
                              Logbook::kNamesFile, Logbook::kCrewFile};

[[noreturn]] void fail(const QString& what, const QStringList& problems) {
    std::fprintf(stderr, "%s\n%s\n", qPrintable(what), qPrintable(problems.join(QLatin1Char('\n'))));
    std::abort();
}

using Held = FuzzLogbook::Held;
using Flights = QMultiMap<std::uint32_t, Held>;

std::uint32_t keyOf(const FlightRecord& r) {
    return (std::uint32_t(r.Date) << 16) | r.Atd;
}

// The parts of a flight a damaged file may not take away: a damaged names table may change the
// names, a damaged string file the texts.
enum Parts { kNumbers = 1, kNames = 2, kTexts = 4, kAll = 7 };

bool sameIn(const Held& a, const Held& b, int parts) {
    return (!(parts & kNumbers) || a.numbers == b.numbers) && (!(parts & kNames) || a.names == b.names) &&
           (!(parts & kTexts) || (a.routing == b.routing && a.comment == b.comment));
}

QString describe(std::uint32_t key, const Held& h) {
    return QStringLiteral("flight %1/%2 %3 \"%4\" \"%5\" %6")
        .arg(key >> 16)
        .arg(key & 0xFFFF)
        .arg(QString::fromLatin1(h.numbers.toHex()), h.routing, h.comment, h.names.join(QLatin1Char('|')));
}

// Every flight the logbook lists, through the pass the windows read with.
Flights flightsOf(Logbook& book) {
    Flights flights;
    const FlightPass pass(book);
    for (int p = 1; p <= pass.FlightCount(); ++p) {
        FlightRecord r;
        StringRecord s;
        pass.ReadFlight(p, r);
        pass.ReadStringRecord(p, s);
        Held h;
        FlightRecord cleared = r;
        auto take = [&](NameRef& ref) {
            h.names << book.names().NameAt(ref);
            ref = 0;
        };
        for (int k = 0; k < kCrewSlots; ++k) {
            take(cleared.Duty[std::size_t(k)]);
            take(cleared.Name[std::size_t(k)]);
        }
        for (NameRef* ref : {&cleared.Aircraft, &cleared.Callsign, &cleared.Registration, &cleared.Tctp})
            take(*ref);
        h.numbers = cleared.toBytes();
        h.routing = s.Routing;
        h.comment = s.Comment;
        flights.insert(keyOf(r), h);
    }
    return flights;
}

QStringList describeAll(const Flights& flights) {
    QStringList all;
    for (auto [key, held] : flights.asKeyValueRange()) all << describe(key, held);
    return all;
}

// Every reader over every flight, as the windows, the evaluations and the command line use them.
void readAll(Logbook& book) {
    const FlightPass pass(book);
    for (int p = 1; p <= pass.FlightCount(); ++p) {
        FlightRecord r;
        StringRecord s;
        RawTexts raw;
        pass.ReadFlight(p, r);
        pass.ReadStringRecord(p, s);
        if (pass.ReadRawTexts(p, raw) && !raw.comment.isEmpty()) (void)raw.comment.back();
        (void)pass.TextsBegin(p);
        (void)pass.DateAt(p);
        (void)FlightJson::write(r, s, book.names());
        (void)book.crewCountOf(r);
    }
    for (int p = 1; p <= book.FlightCount(); ++p) {
        FlightRecord r;
        StringRecord s;
        book.ReadFlight(p, r);
        book.ReadStringRecord(p, s);
    }
    (void)book.ReadPassword();
}

}  // namespace

FuzzLogbook& FuzzLogbook::instance() {
    static FuzzLogbook logbook;
    return logbook;
}

FuzzLogbook::FuzzLogbook() : m_work(workTemplate()) {
    if (!m_work.isValid()) fail(QStringLiteral("no work folder"), {m_work.errorString()});
    createBase();
}

void FuzzLogbook::createBase() {
    QuietInteraction ui;
    Settings settings(m_work.filePath(QString::fromLatin1(Settings::kFileName)));
    {
        FixedAnswer creating(Interaction::Answer::Yes);
        Logbook book(m_work.path(), settings, creating);
        if (!book.Open()) fail(QStringLiteral("cannot create the base logbook"), {});
        FlightBook flights(book, settings);
        FlightGenerator generator(5, 12);
        if (generator.addTo(flights, 12) != 12) fail(QStringLiteral("cannot fill the base logbook"), {});
        // A dead string record and a protected comment, so both kinds are in the files.
        FlightRecord r;
        StringRecord s;
        book.ReadFlight(3, r);
        book.ReadStringRecord(3, s);
        s.Comment = QStringLiteral("geändert");
        flights.ChangeFlight(3, r, s);
        book.ReadFlight(5, r);
        book.ReadStringRecord(5, s);
        r.CommentHidden = 1;
        s.Comment = QStringLiteral("geheim");
        flights.ChangeFlight(5, r, s);
        for (auto [key, held] : flightsOf(book).asKeyValueRange()) m_baseFlights.insert(key, held);
        for (int p = 1; p <= book.FlightCount(); ++p) {
            FlightRecord f;
            book.ReadFlight(p, f);
            m_baseSlots.insert(keyOf(f), book.index().RecNoAt(p));
        }
        if (m_baseFlights.size() != book.FlightCount())
            fail(QStringLiteral("two base flights share a key"), {});
        book.CloseLogbook();
    }
    for (const char* name : kFiles) {
        QFile f(m_work.filePath(QString::fromLatin1(name)));
        if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("base file missing"), {f.fileName()});
        m_base.insert(QString::fromLatin1(name), f.readAll());
    }
}

void FuzzLogbook::resetWorkFolder(const QString& name, const QByteArray& content) {
    QDir dir(m_work.path());
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
    for (auto it = m_base.cbegin(); it != m_base.cend(); ++it) {
        const bool replaced = it.key() == name;
        if (replaced && content.isNull()) continue;
        QFile f(dir.filePath(it.key()));
        if (!f.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write"), {f.fileName()});
        f.write(replaced ? content : it.value());
    }
}

void FuzzLogbook::run(const QString& name, const QByteArray& content, bool maintain) {
    resetWorkFolder(name, content);
    QuietInteraction ui;
    auto finding = [&](const QString& what, const QStringList& detail = {}) {
        fail(what, detail + QStringList{QStringLiteral("-- told:")} + ui.told);
    };

    // The base flights the damaged files still hold whole, and which of their parts. Every other
    // file is the base logbook's own, so only the replaced one can take anything away.
    int parts = kAll;
    QMap<std::uint32_t, Held> kept;
    if (name == QLatin1String(Logbook::kNamesFile)) parts = kNumbers | kTexts;
    if (name == QLatin1String(Logbook::kStringFile)) parts = kNumbers | kNames;
    if (name != QLatin1String(Logbook::kDataFile)) {
        kept = m_baseFlights;
    } else {
        // A flight whose slot is whole in a data file of the current layout, and no other slot
        // claiming its key (the rebuild would give one of the two a new start).
        const QByteArray& base = m_base[name];
        if (content.left(fileheader::kSize) == base.left(fileheader::kSize)) {
            QMap<std::uint32_t, int> claims;
            for (qsizetype at = Logbook::kFirstSlotPos; at + kFlightRecordSize <= content.size();
                 at += kFlightRecordSize) {
                const FlightRecord r = FlightRecord::fromBytes(content.constData() + at);
                if (r.Date != 0) ++claims[keyOf(r)];
            }
            for (auto [key, slot] : m_baseSlots.asKeyValueRange()) {
                const qsizetype at = Logbook::kFirstSlotPos + qsizetype(slot) * kFlightRecordSize;
                if (claims.value(key) == 1 &&
                    content.mid(at, kFlightRecordSize) == base.mid(at, kFlightRecordSize))
                    kept.insert(key, m_baseFlights.value(key));
            }
        }
    }
    auto requireKept = [&](Logbook& book, const char* when) {
        const Flights now = flightsOf(book);
        for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
            const QList<Held> found = now.values(it.key());
            const Held& held = it.value();
            if (std::none_of(found.cbegin(), found.cend(),
                             [&](const Held& h) { return sameIn(h, held, parts); }))
                finding(QStringLiteral("a flight the files hold whole is lost or changed %1")
                            .arg(QLatin1String(when)),
                        QStringList{describe(it.key(), held), QStringLiteral("-- listed now:")} +
                            describeAll(now));
        }
    };

    Settings settings(m_work.filePath(QString::fromLatin1(Settings::kFileName)));
    Logbook book(m_work.path(), settings, ui);
    if (!book.Open()) {
        // Only a data file the program does not take may keep the logbook shut, and it says why.
        if (name != QLatin1String(Logbook::kDataFile) || !kept.isEmpty() || ui.told.isEmpty())
            finding(QStringLiteral("the logbook does not open"));
        return;
    }
    readAll(book);
    requireKept(book, "after opening");
    (void)book.Check();
    if (!maintain) return;

    // The repairs the user has for a damaged logbook, then an ordinary change on the result.
    NullProgress progress;
    if (!book.RebuildIndex(progress)) finding(QStringLiteral("the index rebuild fails"));
    readAll(book);
    requireKept(book, "by the index rebuild");
    if (!book.SortAndCompact(true, progress).completed) finding(QStringLiteral("the sort fails"));
    readAll(book);
    requireKept(book, "by the sort");
    FlightBook flights(book, settings);
    if (flights.FlightCount() > 0) {
        FlightRecord r;
        StringRecord s;
        flights.logbook().ReadFlight(1, r);
        flights.logbook().ReadStringRecord(1, s);
        s.Routing = QStringLiteral("EDDH - EDHL");
        flights.ChangeFlight(1, r, s);
        flights.DeleteFlight(flights.FlightCount());
    }
    readAll(book);
    const QStringList problems = book.Check();
    if (!problems.isEmpty()) finding(QStringLiteral("a repaired logbook does not pass its check"), problems);
}

}  // namespace velmarsk::fuzz
