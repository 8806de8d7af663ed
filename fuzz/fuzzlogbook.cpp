#include "fuzzlogbook.h"

#include "exchange/flightjson.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "settings/settings.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace velmarsk::fuzz {
namespace {

// Answers as a careful user would: no new logbook over damaged files, yes to every repair.
class QuietInteraction final : public Interaction {
public:
    Answer ask(const QString&, const QString& text, Icon, Buttons buttons) override {
        if (buttons == Buttons::Ok) return Answer::Ok;
        return text == msg::noLogbook() ? Answer::No : Answer::Yes;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }
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
    Settings settings(m_work.filePath(QString::fromLatin1(Settings::kFileName)));
    Logbook book(m_work.path(), settings, ui);
    if (!book.Open()) return;
    readAll(book);
    (void)book.Check();
    if (!maintain) return;

    // The repairs the user has for a damaged logbook, then an ordinary change on the result.
    NullProgress progress;
    if (!book.RebuildIndex(progress)) return;
    readAll(book);
    if (!book.SortAndCompact(true, progress).completed) return;
    readAll(book);
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
    if (!problems.isEmpty()) fail(QStringLiteral("a repaired logbook does not pass its check"), problems);
}

}  // namespace velmarsk::fuzz
