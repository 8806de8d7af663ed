// Writes the seed corpora of the fuzz targets from files the program writes: the small logbook of
// FuzzLogbook, its Flug.dat converted back into the older layouts, its index in the old layout,
// a settings file, the flights as the command line shows them, and export files of the small
// logbook and of another one.
//   velmarsk_fuzz_seeds DIR  ->  DIR/<target>/<seed>
#include "exchange/exportfile.h"
#include "exchange/flightjson.h"
#include "flightbook/flightbook.h"
#include "fuzzlogbook.h"
#include "generator/flightgenerator.h"
#include "settings/settings.h"
#include "storage/bytes.h"
#include "storage/fileheader.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"
#include "storage/scramble.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

using namespace velmarsk;

bool put(const QString& dir, const QString& target, const QString& name, const QByteArray& data) {
    const QString folder = QDir(dir).filePath(target);
    QFile f(QDir(folder).filePath(name));
    return QDir().mkpath(folder) && f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(data) == data.size();
}

constexpr int kRecord = 112;

// The records of a current Flug.dat cut back to the layouts before.
QByteArray records(const QByteArray& dat, int layout) {
    QByteArray out;
    for (qsizetype at = Logbook::kFirstSlotPos; at + kRecord <= dat.size(); at += kRecord) {
        const char* r = dat.constData() + at;
        if (layout == 112) {
            out.append(r, 110);
        } else {
            out.append(r, 10);       // Date, Duty[1..4]
            out.append(r + 18, 8);   // Name[1..4]
            out.append(r + 34, 76);  // Aircraft .. NPrecNite
        }
    }
    return out;
}

QByteArray withHeader(const char* version, int count, const QByteArray& body) {
    QByteArray out = fileheader::make(QString::fromLatin1(version));
    bytes::append32(out, count);
    return out + body;
}

// The export file the program writes for positions of a logbook, in that order.
QByteArray exportOf(Logbook& book, const std::vector<int>& positions, const QString& file) {
    const FlightPass pass(book);
    EntryWriter writer(book.names());
    for (int p : positions)
        if (!writer.addFromPass(pass, p, p)) return {};
    QFile::remove(file);
    if (ExportFile::append(file, writer.bytes()) != ExportFile::Result::Ok) return {};
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Flights the small logbook does not hold: a protected comment, long texts and names, one flight
// exported twice.
bool putOtherExport(const QString& dir, const QString& folder) {
    Settings settings(QDir(folder).filePath(QString::fromLatin1(Settings::kFileName)));
    fuzz::FixedAnswer creating(Interaction::Answer::Yes);
    Logbook book(folder, settings, creating);
    if (!book.Open()) return false;
    FlightBook flights(book, settings);
    if (FlightGenerator(9, 4).addTo(flights, 4) != 4) return false;
    FlightRecord r;
    StringRecord s;
    book.ReadFlight(2, r);
    book.ReadStringRecord(2, s);
    r.CommentHidden = 1;
    s.Comment = ScrambleText(QStringLiteral("nur für mich"));
    if (flights.ChangeFlight(2, r, s) <= 0) return false;
    book.ReadFlight(4, r);
    book.ReadStringRecord(4, s);
    r.Name[2] = book.names().NameIndexOf(QStringLiteral("Oberstleutnant Hannelore Wüstenberg-Schäfer"));
    r.Duty[2] = book.names().NameIndexOf(QStringLiteral("Lehrberechtigter Fluglehrer"));
    s.Routing = QStringLiteral("EDXW - EDHL - EKSB - ESMS - ").repeated(8) + QStringLiteral("EDXW");
    s.Comment = QStringLiteral("Übungsflug mit Böen über See, Sicht wechselnd; ").repeated(12);
    if (flights.ChangeFlight(4, r, s) <= 0) return false;
    const QByteArray exported =
        exportOf(book, {1, 2, 3, 4, 1}, QDir(folder).filePath(QString::fromLatin1(ExportFile::kDefaultName)));
    book.CloseLogbook();
    return !exported.isEmpty() && put(dir, QStringLiteral("exportfile"), QStringLiteral("other"), exported);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmarsk_fuzz_seeds DIR\n");
        return 2;
    }
    const QString dir = QFile::decodeName(argv[1]);
    const auto& base = fuzz::FuzzLogbook::instance().base();
    const QByteArray dat = base.value(QString::fromLatin1(Logbook::kDataFile));
    const QByteArray idx = base.value(QString::fromLatin1(Logbook::kIndexFile));
    const int count = int((dat.size() - Logbook::kFirstSlotPos) / kRecord);
    bool ok = true;

    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("v113"), dat);
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("v112"),
              withHeader("1,12", count, records(dat, 112)));
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("v110"),
              withHeader("1,10", count, records(dat, 110)));
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("v000"), records(dat, 0));
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("new"), dat.left(Logbook::kFirstSlotPos));

    ok &= put(dir, QStringLiteral("flugidx"), QStringLiteral("v110"), idx);
    QByteArray oldIdx;
    const qsizetype entries = (idx.size() - fileheader::kSize - 4) / 10;
    bytes::append32(oldIdx, std::int32_t(entries));
    for (qsizetype i = 0; i < entries; ++i) {
        const char* e = idx.constData() + fileheader::kSize + 4 + 10 * i;
        oldIdx.append(e, 6).append("\0\0", 2).append(e + 6, 4);
    }
    ok &= put(dir, QStringLiteral("flugidx"), QStringLiteral("v000"), oldIdx);

    ok &= put(dir, QStringLiteral("flugstr"), QStringLiteral("base"),
              base.value(QString::fromLatin1(Logbook::kStringFile)));
    ok &= put(dir, QStringLiteral("flugnam"), QStringLiteral("base"),
              base.value(QString::fromLatin1(Logbook::kNamesFile)));
    ok &= put(dir, QStringLiteral("flugcrw"), QStringLiteral("base"),
              base.value(QString::fromLatin1(Logbook::kCrewFile)));

    QTemporaryDir work;
    ok &= work.isValid();
    for (auto it = base.cbegin(); it != base.cend(); ++it) {
        QFile f(work.filePath(it.key()));
        ok &= f.open(QIODevice::WriteOnly) && f.write(it.value()) == it.value().size();
    }
    const QString iniPath = work.filePath(QString::fromLatin1(Settings::kFileName));
    {
        QFile ini(iniPath);
        ok &= ini.open(QIODevice::WriteOnly) && ini.write("; Flugbuch\n[USER]\nNAME=Brandt\n") > 0;
    }
    Settings settings(iniPath);
    settings.write(setting::USER::BIRTHDAY, QStringLiteral("14.08.78"));
    settings.write(setting::USER::GESAMTSTUNDEN, qint64(123456));
    settings.write(setting::TCTP::GESVFR, qint64(9000));
    settings.write(setting::SETTINGS::TCTPNOTFULL, qint64(0x80000005));
    settings.writeTruth(setting::TCTP::VFRISGES, false);
    settings.write(setting::PATH::Export, QStringLiteral(" /home/brandt/Flüge "));
    {
        QFile ini(iniPath);
        ok &= ini.open(QIODevice::ReadOnly);
        ok &= put(dir, QStringLiteral("settings"), QStringLiteral("written"), ini.readAll());
    }

    fuzz::FixedAnswer answers(Interaction::Answer::No);
    Logbook book(work.path(), settings, answers);
    ok &= book.Open();
    QJsonArray all;
    for (int p = 1; p <= book.FlightCount(); ++p) {
        FlightRecord r;
        StringRecord s;
        book.ReadFlight(p, r);
        book.ReadStringRecord(p, s);
        const QJsonObject flight = FlightJson::write(r, s, book.names());
        all.append(flight);
        if (p <= 4)
            ok &= put(dir, QStringLiteral("flightjson"), QStringLiteral("flight%1").arg(p),
                      QJsonDocument(flight).toJson());
    }
    ok &= put(dir, QStringLiteral("flightjson"), QStringLiteral("all"), QJsonDocument(all).toJson());

    // Export files: every flight of the small logbook (all already in a receiving copy of it), a
    // few of them, a file of its header only, and flights of another logbook.
    const QString exportPath = work.filePath(QString::fromLatin1(ExportFile::kDefaultName));
    std::vector<int> every(std::size_t(book.FlightCount()));
    std::iota(every.begin(), every.end(), 1);
    ok &= put(dir, QStringLiteral("exportfile"), QStringLiteral("base"), exportOf(book, every, exportPath));
    ok &=
        put(dir, QStringLiteral("exportfile"), QStringLiteral("some"), exportOf(book, {5, 3, 5}, exportPath));
    ok &= put(dir, QStringLiteral("exportfile"), QStringLiteral("empty"), exportOf(book, {}, exportPath));
    QTemporaryDir other;
    ok &= other.isValid() && putOtherExport(dir, other.path());
    book.CloseLogbook();
    if (!ok) std::fprintf(stderr, "velmarsk_fuzz_seeds: could not write every seed\n");
    return ok ? 0 : 1;
}
