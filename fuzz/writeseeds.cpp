// Writes the seed corpora of the fuzz targets from files the program writes: the small logbook of
// FuzzLogbook, its Flug.dat converted back into the older layouts, its index in the old layout,
// a settings file, the flights as the command line shows them, export files of the small logbook
// and of another one, and CSV tables of the small logbook.
//   velmarsk_fuzz_seeds DIR  ->  DIR/<target>/<seed>
#include "exchange/csvexport.h"
#include "exchange/csvreader.h"
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
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QHash>
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

// A file with the bytes at `at` replaced, as a disk or another program may leave it.
QByteArray patched(QByteArray data, qsizetype at, const QByteArray& bytes) {
    return data.replace(at, bytes.size(), bytes);
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

// The table csv writes, as a spreadsheet saves it again: Windows-1252, tabs, every field quoted,
// German headings where there are any, the first rows only. Empty when it cannot be read back.
QByteArray spreadsheetCopy(const QString& csvPath, int rows) {
    CsvReader reader;
    if (!reader.open(csvPath)) return {};
    const QHash<QString, QString> german{{QStringLiteral("Date"), QStringLiteral("Datum")},
                                         {QStringLiteral("Aircraft"), QStringLiteral("Muster")},
                                         {QStringLiteral("Routing"), QStringLiteral("Strecke")},
                                         {QStringLiteral("Comment"), QStringLiteral("Bemerkung")}};
    QString out;
    auto add = [&](const QStringList& fields) {
        QStringList quoted;
        for (QString f : fields)
            quoted << QLatin1Char('"') + f.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                          QLatin1Char('"');
        out += quoted.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    };
    QStringList header;
    for (const QString& h : reader.header()) header << german.value(h, h);
    add(header);
    QStringList fields;
    int line = 0;
    for (int i = 0; i < rows && reader.next(fields, line) == CsvReader::Status::Row; ++i) add(fields);
    return cp1252::encode(out).value_or(QByteArray());
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
    // Damaged: a bit of a date flipped, the last slot cut in half, a slot emptied, and a slot
    // overwritten by a copy of another (what a delete cut short leaves).
    auto slotAt = [&](int slot) { return Logbook::kFirstSlotPos + qsizetype(slot) * kRecord; };
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("date-bit"),
              patched(dat, slotAt(2) + 1, QByteArray(1, char(dat.at(slotAt(2) + 1) ^ 0x01))));
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("cut"), dat.chopped(kRecord / 2));
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("gap"),
              patched(dat, slotAt(3), QByteArray(2, '\0')));
    ok &= put(dir, QStringLiteral("flugdat"), QStringLiteral("twin"),
              patched(dat, slotAt(4), dat.mid(slotAt(1), kRecord)));

    ok &= put(dir, QStringLiteral("flugidx"), QStringLiteral("v110"), idx);
    QByteArray oldIdx;
    const qsizetype entries = (idx.size() - fileheader::kSize - 4) / 10;
    bytes::append32(oldIdx, std::int32_t(entries));
    for (qsizetype i = 0; i < entries; ++i) {
        const char* e = idx.constData() + fileheader::kSize + 4 + 10 * i;
        oldIdx.append(e, 6).append("\0\0", 2).append(e + 6, 4);
    }
    ok &= put(dir, QStringLiteral("flugidx"), QStringLiteral("v000"), oldIdx);
    // Damaged: one flight more counted than listed, a text offset moved by a byte.
    QByteArray counted;
    bytes::append32(counted, std::int32_t(entries + 1));
    ok &= put(dir, QStringLiteral("flugidx"), QStringLiteral("count"),
              patched(idx, fileheader::kSize, counted));
    const qsizetype strPos = fileheader::kSize + 4 + 10 + 6;
    ok &= put(dir, QStringLiteral("flugidx"), QStringLiteral("strpos"),
              patched(idx, strPos, QByteArray(1, char(idx.at(strPos) + 1))));

    const QByteArray str = base.value(QString::fromLatin1(Logbook::kStringFile));
    ok &= put(dir, QStringLiteral("flugstr"), QStringLiteral("base"), str);
    // Damaged: the tag of the second record, and the file cut short in the middle of a record.
    ok &=
        put(dir, QStringLiteral("flugstr"), QStringLiteral("tag"), patched(str, str.indexOf("TOlm", 1), "X"));
    ok &= put(dir, QStringLiteral("flugstr"), QStringLiteral("cut"), str.left(str.size() / 2));
    const QByteArray nam = base.value(QString::fromLatin1(Logbook::kNamesFile));
    ok &= put(dir, QStringLiteral("flugnam"), QStringLiteral("base"), nam);
    ok &= put(dir, QStringLiteral("flugnam"), QStringLiteral("cut"), nam.left(nam.size() / 2));
    ok &= put(dir, QStringLiteral("flugnam"), QStringLiteral("garbage"),
              patched(nam, nam.size() / 3, QByteArray(16, char(0xFF)) + QByteArray(1, '\0')));
    const QByteArray crw = base.value(QString::fromLatin1(Logbook::kCrewFile));
    ok &= put(dir, QStringLiteral("flugcrw"), QStringLiteral("base"), crw);
    ok &= put(dir, QStringLiteral("flugcrw"), QStringLiteral("garbage"),
              patched(crw, crw.size() / 2, QByteArray("\0\xFF\r\r\n", 5)));

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
    QJsonArray several;  // an array as `add` takes it, small enough for the fuzzer's inputs
    for (int p = 1; p <= book.FlightCount(); ++p) {
        FlightRecord r;
        StringRecord s;
        book.ReadFlight(p, r);
        book.ReadStringRecord(p, s);
        const QJsonObject flight = FlightJson::write(r, s, book.names());
        if (p > 4 && p <= 7) several.append(flight);
        if (p <= 4)
            ok &= put(dir, QStringLiteral("flightjson"), QStringLiteral("flight%1").arg(p),
                      QJsonDocument(flight).toJson());
    }
    ok &= put(dir, QStringLiteral("flightjson"), QStringLiteral("several"), QJsonDocument(several).toJson());

    // Export files: every flight of the small logbook (all already in a receiving copy of it), a
    // few of them, a file of its header only, and flights of another logbook.
    const QString exportPath = work.filePath(QString::fromLatin1(ExportFile::kDefaultName));
    std::vector<int> every(std::size_t(book.FlightCount()));
    std::iota(every.begin(), every.end(), 1);
    ok &= put(dir, QStringLiteral("exportfile"), QStringLiteral("base"), exportOf(book, every, exportPath));
    ok &=
        put(dir, QStringLiteral("exportfile"), QStringLiteral("some"), exportOf(book, {5, 3, 5}, exportPath));
    ok &= put(dir, QStringLiteral("exportfile"), QStringLiteral("empty"), exportOf(book, {}, exportPath));
    // CSV tables: every flight as csv writes it (all in the receiving logbook already), a few of
    // them as a spreadsheet saves them, the header alone, and rows a table may hold wrongly.
    {
        const QByteArray csv = CsvExport::build(FlightPass(book), 0, 0xFFFF, true);
        ok &= put(dir, QStringLiteral("csvimport"), QStringLiteral("base"), csv);
        const QString csvPath = work.filePath(QStringLiteral("flugbuch.csv"));
        QFile f(csvPath);
        ok &= f.open(QIODevice::WriteOnly) && f.write(csv) == csv.size();
        f.close();
        const QByteArray copy = spreadsheetCopy(csvPath, 4);
        ok &= !copy.isEmpty() && put(dir, QStringLiteral("csvimport"), QStringLiteral("spreadsheet"), copy);
        ok &= put(dir, QStringLiteral("csvimport"), QStringLiteral("header"),
                  QByteArray("\xEF\xBB\xBF") + CsvExport::columns().join(QLatin1Char(';')).toUtf8() + "\r\n");
        ok &= put(dir, QStringLiteral("csvimport"), QStringLiteral("rows"),
                  QByteArray("Datum,Name1,A&TD,Ate,SimDay,CommentHidden,Kommentar\n"
                             "02.05.2024,M\xC3\xBCller,8:00,1:30,0,1,\"geheim, \"\"ja\"\"\"\n"
                             "02.05.2024,B,8:00,0:10,0,0,\n"
                             ",,,,,,\n"
                             "2024-05-03,C,9:00:00,45,1,0,\"zwei\r\nZeilen\"\n"
                             "31.02.24,D,25:00,0,0,0\n"
                             "04.05.2024,\"E,9:00,0,0,0,offen\n"));
    }

    QTemporaryDir other;
    ok &= other.isValid() && putOtherExport(dir, other.path());
    book.CloseLogbook();
    if (!ok) std::fprintf(stderr, "velmarsk_fuzz_seeds: could not write every seed\n");
    return ok ? 0 : 1;
}
