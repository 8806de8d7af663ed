// CSV tables into a logbook: encodings, separators, quoting, column names and subsets, bad rows,
// and files that are no table at all.
#include "exchange/csvimport.h"
#include "dates/daynumber.h"
#include "flightbook/flightbook.h"
#include "logbookfixture.h"
#include "storage/nametable.h"
#include "storage/scramble.h"
#include "text/cp1252.h"

#include <sys/stat.h>

// Readable failure messages for texts (defined with the settings tests).
void PrintTo(const QString& text, std::ostream* out);

namespace velmarsk::test {
namespace {

QByteArray utf8(const char* text) {
    return QByteArray(text);
}
QByteArray cp1252(const char* text) {
    return *cp1252::encode(QString::fromUtf8(text));
}
QStringList lines(const std::vector<const char*>& list) {
    QStringList out;
    for (const char* t : list) out << QString::fromUtf8(t);
    return out;
}

class CsvImportTest : public LogbookFixture {
protected:
    void SetUp() override {
        LogbookFixture::SetUp();
        openNew();
        service = std::make_unique<FlightBook>(*book, *settings);
    }

    // An empty logbook again, as if the folder had just been made.
    void startAfresh() {
        service.reset();
        book.reset();
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            ASSERT_TRUE(QFile::remove(dir.filePath(name)));
        settings = std::make_unique<Settings>(dir.filePath(QStringLiteral("tarnoki.ini")));
        openNew();
        service = std::make_unique<FlightBook>(*book, *settings);
    }

    QString write(const QByteArray& bytes, const char* name = "table.csv") {
        writeBytes(name, bytes);
        return path(name);
    }

    ImportOutcome import(const QString& file) {
        CsvImport csv(*service);
        EXPECT_TRUE(csv.open(file)) << csv.problem().toStdString();
        return csv.run();
    }

    // Each flight of the logbook on one line, with the fields the tables below set.
    QStringList flights() {
        QStringList out;
        const NameTable& names = book->names();
        for (int p = 1; p <= book->FlightCount(); ++p) {
            FlightRecord r;
            StringRecord s;
            EXPECT_TRUE(book->ReadFlight(p, r) && book->ReadStringRecord(p, s));
            QString comment = r.commentProtected() ? UnscrambleText(s.Comment) : s.Comment;
            QString routing = s.Routing;
            out << QStringLiteral("%1 %2:%3 %4/%5 ac=%6 cs=%7 reg=%8 ate=%9 land=%10 hidden=%11 [%12] [%13]")
                       .arg(dayNumberToDate(r.Date).toString(QStringLiteral("dd.MM.yyyy")))
                       .arg(r.Atd / 60)
                       .arg(r.Atd % 60, 2, 10, QLatin1Char('0'))
                       .arg(names.NameAt(r.Duty[0]), names.NameAt(r.Name[0]), names.NameAt(r.Aircraft),
                            names.NameAt(r.Callsign), names.NameAt(r.Registration))
                       .arg(r.Ate)
                       .arg(r.LandDay)
                       .arg(r.CommentHidden)
                       .arg(routing.replace(QStringLiteral("\r\n"), QStringLiteral("|")),
                            comment.replace(QStringLiteral("\r\n"), QStringLiteral("|")));
        }
        return out;
    }

    std::unique_ptr<FlightBook> service;
};

// Every form a table comes in, and the rows it refuses while the others go in. Refusals are given
// as the start of their line.
TEST_F(CsvImportTest, TablesOfEveryFormImportTheirGoodRowsAndNameTheBadOnesByLine) {
    const QByteArray bom("\xEF\xBB\xBF");
    // More than one piece of reading before the last row.
    constexpr int kLongRun = 5000;
    QByteArray longRun;
    for (int i = 0; i < kLongRun; ++i) longRun += "03.05.2024;x;;;;\r\n";
    struct Case {
        const char* what;
        QByteArray table;
        std::vector<const char*> flights;
        std::vector<const char*> refused;
        const char* problem = "";
        int bulk = 0;  // refusals in a long run: only the first and the last are given
    };
    const Case cases[] = {
        {"as csv writes it: UTF-8 with a byte-order mark, \";\", CR LF",
         bom + utf8("Date;Duty1;Name1;Aircraft;Atd;Ate;LandDay;CommentHidden;Routing;Comment\r\n"
                    "02.05.2024;P;Müller;CH-53;8:00;1:30;2;1;\"EDXW; \"\"Nord\"\"\r\nEDHL\";geheim\r\n"
                    "15.08.1949;;;;0:00;0:00;0;0;;\r\n"),
         {"15.08.1949 0:00 / ac= cs= reg= ate=0 land=0 hidden=0 [] []",
          "02.05.2024 8:00 P/Müller ac=CH-53 cs= reg= ate=90 land=2 hidden=1 [EDXW; \"Nord\"|EDHL] [geheim]"},
         {}},
        {"German and mask headings in any case and order, \",\", LF, a column left out and one unknown",
         utf8("kommentar,Strecke,Muster,Rufzeichen,Kennzeichen,A&TD,datum,Pilot\n"
              "\"ok, gut\",\"A\nB\",UH-1D,GAM1,84+01,615,2024-05-03,X\n"),
         {"03.05.2024 10:15 / ac=UH-1D cs=GAM1 reg=84+01 ate=0 land=0 hidden=0 [A|B] [ok, gut]"},
         {}},
        {"Windows-1252 with tabs, as a spreadsheet saves it: all quoted, two-digit years, seconds",
         cp1252("\"Datum\"\t\"Name1\"\t\"Atd\"\t\"Ate\"\t\"Bemerkung\"\r\n"
                "\"02.05.24\"\t\"Weiß\"\t\"08:00:00\"\t\"01:05:00\"\t\"Übung ½\"\r\n"
                "\"1.6.49\"\t\"Özdemir\"\t\"23:59:00\"\t\"0\"\t\"\"\r\n"),
         {"02.05.2024 8:00 /Weiß ac= cs= reg= ate=65 land=0 hidden=0 [] [Übung ½]",
          "01.06.2049 23:59 /Özdemir ac= cs= reg= ate=0 land=0 hidden=0 [] []"},
         {}},
        {"bad rows are refused by the line they start on; blank rows are skipped",
         utf8("Date;Name1;Atd;Ate;LandDay;CommentHidden;Routing\r\n"
              "05/02/24;A;8:00;0;0;0;\r\n"                    // line 2: no date form guessed
              "02.05.2024;B;8:00;0;0;0;\"eins\r\nzwei\"\r\n"  // lines 3-4: good
              "02.05.2024;\"C\nD\";9:00;0;0;0;\r\n"           // lines 5-6: a name with a line break
              "\r\n"                                          // line 7: blank
              ";;;;;;\r\n"                                    // line 8: empty cells only
              "02.05.2024;E;24:00;0;0;0;\r\n"                 // line 9: no clock time
              "02.05.2024;F;10:00:30;0;0;0;\r\n"              // line 10: seconds
              "02.05.2024;G;10:00;0;300;0;\r\n"               // line 11: beyond a counter
              "02.05.2024;H;10:00;0;0;2;\r\n"                 // line 12: no flag
              "02.05.2024;I;;0;0;0;\r\n"                      // line 13: no departure
              "02.05.2024;J;11:00;0;0\r\n"                    // line 14: too few fields
              "02.05.2024;K;11:00;0;0;0;;x\r\n"               // line 15: too many
              "02.05.2024;L;8:00;0;0;0;\r\n"                  // line 16: same start as line 3
              "31.02.2024;M;12:00;0;0;0;\r\n"                 // line 17: no such day
              "03.05.2024;N;1:2;0;0;0;\r\n"                   // line 18: no time form
              "03.05.2024;O;480;1,5;0;0;\r\n"),               // line 19: a fraction
         {"02.05.2024 8:00 /B ac= cs= reg= ate=0 land=0 hidden=0 [eins|zwei] []"},
         {"Zeile 2: Date: \"05/02/24\" ist kein gültiges Datum", "Zeile 5: Name1: \"C\\nD\" enthält Zeichen",
          "Zeile 9: Atd: \"24:00\" liegt nicht im Bereich von 0:00 bis 23:59.",
          "Zeile 10: Atd: \"10:00:30\" hat Sekunden",
          "Zeile 11: LandDay: \"300\" liegt nicht im Bereich der ganzen Zahlen von 0 bis 255.",
          "Zeile 12: CommentHidden: \"2\" liegt nicht im Bereich der ganzen Zahlen von 0 bis 1.",
          "Zeile 13: Atd fehlt.", "Zeile 14: 5 Felder statt 7 wie in der Kopfzeile.",
          "Zeile 15: 8 Felder statt 7 wie in der Kopfzeile.",
          "Zeile 16: Es existiert bereits ein Flug mit dieser Startzeit (Zeile 3).",
          "Zeile 17: Date: \"31.02.2024\" ist kein gültiges Datum", "Zeile 18: Atd: \"1:2\" ist keine Zeit",
          "Zeile 19: Ate: \"1,5\" ist keine Zeit"}},
        {"a row of no-break spaces looks empty in a spreadsheet and is skipped as blank",
         cp1252("Datum;Atd;Name1\r\n\u00A0;\u00A0; \u00A0\r\n02.05.2024;8:00;A\r\n"),
         {"02.05.2024 8:00 /A ac= cs= reg= ate=0 land=0 hidden=0 [] []"},
         {}},
        {"a quote left open ends the reading at its line; the rows before it stay",
         utf8("Date;Atd;Routing\n01.05.2024;8:00;A\n01.05.2024;9:00;\"B\n01.05.2024;10:00;C\n"),
         {"01.05.2024 8:00 / ac= cs= reg= ate=0 land=0 hidden=0 [A] []"},
         {},
         "Zeile 3: Ein Anführungszeichen wird bis zum Ende der Datei nicht geschlossen"},
        {"one character beyond UTF-8 far into the file makes the whole file Windows-1252",
         "Date;Atd;Name1;Routing;Comment;X\r\n" + longRun + cp1252("04.05.2024;7:00;Jäger;;;\r\n"),
         {"04.05.2024 7:00 /Jäger ac= cs= reg= ate=0 land=0 hidden=0 [] []"},
         {"Zeile 2: Atd: \"x\" ist keine Zeit", "Zeile 5001: Atd: \"x\""},
         "",
         kLongRun},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startAfresh();
        const ImportOutcome result = import(write(c.table));
        EXPECT_EQ(flights(), lines(c.flights));
        EXPECT_EQ(result.imported, qsizetype(c.flights.size()));
        if (*c.problem)
            EXPECT_TRUE(result.problem.startsWith(QString::fromUtf8(c.problem)))
                << result.problem.toStdString();
        else
            EXPECT_EQ(result.problem.toStdString(), "");
        if (c.bulk > 0) {
            EXPECT_EQ(result.read, qsizetype(c.flights.size()) + c.bulk);
            ASSERT_EQ(result.refused.size(), c.bulk);
            EXPECT_TRUE(result.refused.first().startsWith(QString::fromUtf8(c.refused[0])))
                << result.refused.first().toStdString();
            EXPECT_TRUE(result.refused.last().startsWith(QString::fromUtf8(c.refused[1])))
                << result.refused.last().toStdString();
            continue;
        }
        ASSERT_EQ(result.refused.size(), qsizetype(c.refused.size()))
            << result.refused.join(QLatin1Char('\n')).toStdString();
        for (std::size_t i = 0; i < c.refused.size(); ++i)
            EXPECT_TRUE(result.refused[qsizetype(i)].startsWith(QString::fromUtf8(c.refused[i])))
                << result.refused[qsizetype(i)].toStdString();
        EXPECT_EQ(result.read, qsizetype(c.flights.size() + c.refused.size()));
    }
}

TEST_F(CsvImportTest, AFlightTheLogbookHoldsIsSkippedWithoutARefusal) {
    const QString file = write(utf8("Date;Atd;Name1\n01.05.2024;8:00;Neu\n01.05.2024;9:00;Neu\n"));
    ASSERT_GT(book->AddFlight(flight(QDate(2024, 5, 1), 480), texts(QStringLiteral("alt"))), 0);
    const int names = book->names().NameCount();
    const ImportOutcome result = import(file);
    EXPECT_EQ(result.read, 2);
    EXPECT_EQ(result.imported, 1);
    EXPECT_TRUE(result.refused.isEmpty());
    EXPECT_EQ(book->names().NameCount(), names + 1);  // "Neu" once, for the flight added
    EXPECT_EQ(import(file).imported, 0);
}

TEST_F(CsvImportTest, FilesThatAreNoFlightTableAreRefusedWholeAndNothingIsAdded) {
    const QString fifo = path("pipe.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const std::pair<QString, const char*> cases[] = {
        {write({}, "empty.csv"), "ist leer"},
        {write("\r\n\r\n", "blank.csv"), "die Kopfzeile hat keine Spalte \"Date\""},
        {write(png, "image.csv"), "ist keine CSV-Tabelle: sie enthält Binärdaten"},
        {write(QByteArray("\xFF\xFE"
                          "D\0a\0t\0e\0",
                          10),
               "utf16.csv"),
         "ist in UTF-16 gespeichert"},
        {write("Atd;Name1\n8:00;A\n", "nodate.csv"), "die Kopfzeile hat keine Spalte \"Date\""},
        {write("Datum;Ate\n01.05.2024;8:00\n", "noatd.csv"), "die Kopfzeile hat keine Spalte \"Atd\""},
        {write("Date;Atd;Kommentar;Bemerkung\n", "twice.csv"),
         "die Spalten \"Kommentar\" und \"Bemerkung\" sind beide \"Comment\""},
        {write(QByteArray("Date;Atd;\"") + QByteArray(CsvReader::kMaxRowBytes, 'x'), "huge.csv"),
         "ist keine CSV-Tabelle: ihre erste Zeile ist keine Kopfzeile"},
        {dir.path(), "ist ein Ordner"},
        {fifo, "ist keine gewöhnliche Datei"},
        {path("missing.csv"), "kann nicht gelesen werden"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file.toStdString());
        CsvImport csv(*service);
        EXPECT_FALSE(csv.open(file));
        EXPECT_TRUE(csv.problem().contains(QString::fromUtf8(message))) << csv.problem().toStdString();
        EXPECT_FALSE(CsvImport::preview(file, 5).problem.isEmpty());
    }
    EXPECT_EQ(book->FlightCount(), 0);
}

// A stray quote in a long table pulls the rest into one row: reading stops at the limit, not
// at the end of the file, and the rows before stay.
TEST_F(CsvImportTest, ARowPastTheLimitEndsTheReadingWithItsLine) {
    QByteArray table("Date;Atd;Routing\n02.05.2024;8:00;ok\n01.05.2024;8:00;\"A\n");
    while (table.size() <= CsvReader::kMaxRowBytes + 100) table += "01.05.2024;9:00;B\n";
    const ImportOutcome result = import(write(table));
    EXPECT_EQ(result.imported, 1);
    EXPECT_TRUE(result.problem.startsWith(QStringLiteral("Zeile 3: Die Zeile ist länger als 1 MB")))
        << result.problem.toStdString();
}

TEST_F(CsvImportTest, PreviewShowsTheFirstRowsAsTheyWillBeReadAndTheColumnsIgnored) {
    const QString file =
        write(utf8("Datum;ATD;Pilot;Ate;\n2.5.24;480;X;1:00:00;\n03/05/24;8:00;Y;0;\n"
                   "04.05.2024;9:00;Z;0;\n"));
    const CsvPreview p = CsvImport::preview(file, 2);
    ASSERT_TRUE(p.problem.isEmpty()) << p.problem.toStdString();
    EXPECT_EQ(p.separator, QLatin1Char(';'));
    EXPECT_EQ(p.columns.recognised(), lines({"Datum", "ATD", "Ate"}));
    EXPECT_EQ(p.columns.ignored(), lines({"Pilot", "Spalte 5 ohne Namen"}));
    ASSERT_EQ(p.rows.size(), 2);
    EXPECT_TRUE(p.more);
    ASSERT_TRUE(p.rows[0].draft);
    QStringList shown;
    for (const CsvColumns::Column& c : p.columns.columns()) shown << CsvColumns::shown(c, *p.rows[0].draft);
    EXPECT_EQ(shown, lines({"02.05.2024", "8:00", "", "1:00", ""}));
    EXPECT_FALSE(p.rows[1].draft);
    EXPECT_EQ(p.rows[1].line, 3);
    EXPECT_TRUE(p.rows[1].refusal.startsWith(QStringLiteral("Datum: \"03/05/24\"")))
        << p.rows[1].refusal.toStdString();
    EXPECT_EQ(book->FlightCount(), 0);
}

}  // namespace
}  // namespace velmarsk::test
