// Dated copies of the logbook at each close after a change, and a restore that checks the copy
// first and keeps the current files as one more copy.
#include "storage/backuprotation.h"

#include "flightbook/flightbook.h"
#include "logbookfixture.h"
#include "settings/settingkeys.h"
#include "storage/scramble.h"

#include <QDirIterator>

namespace velmarsk {
namespace {

using test::day;

class BackupRotationTest : public test::LogbookFixture {
protected:
    BackupRotation rotation() const { return BackupRotation(dir.path()); }
    QStringList names() const {
        QStringList n;
        for (const auto& b : rotation().list()) n << b.name;
        return n;
    }
    QByteArray backupFile(const QString& name, const char* file) const {
        QFile f(QDir(rotation().folder()).filePath(name + QLatin1Char('/') + QString::fromLatin1(file)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Adds a flight on day d of March and closes, as a run of the program does.
    void addAndClose(int d) {
        ASSERT_TRUE(reopen());
        ASSERT_GT(add(day(d), 600), 0);
        book.reset();
    }
};

TEST_F(BackupRotationTest, EachCloseAfterAChangeKeepsACopyAndOnlyTheNewestAreKept) {
    openNew();
    book.reset();
    EXPECT_TRUE(names().isEmpty());  // a new logbook is no change of flights worth a copy

    settings->write(setting::MISC::SICHERUNGEN, qint64(2));
    for (int d = 1; d <= 3; ++d) addAndClose(d);
    ASSERT_TRUE(reopen());  // a run without a change keeps no copy
    book.reset();

    const auto kept = rotation().list();
    ASSERT_EQ(kept.size(), 2) << names().join(QLatin1Char(' ')).toStdString();
    // Oldest first, each with the logbook as that close left it, the same second told apart.
    EXPECT_LT(kept[0].name, kept[1].name);
    EXPECT_EQ(kept[0].flights, 2);
    EXPECT_EQ(kept[1].flights, 3);
    EXPECT_LE(qAbs(kept[1].taken.secsTo(QDateTime::currentDateTime())), 60);
    for (const char* file : {"Flug.dat", "Flug.str", "Flug.idx", "Flug.nam", "Flug.crw"})
        EXPECT_EQ(backupFile(kept[1].name, file), bytes(file)) << file;

    settings->write(setting::MISC::SICHERUNGEN, qint64(0));
    addAndClose(4);
    EXPECT_EQ(rotation().list().size(), 2) << "0 keeps no further copy";
}

// With no copies kept at close the existing ones are the pilot's: a restore adds the copy of the
// current files and removes none.
TEST_F(BackupRotationTest, RestoreWithNoCopiesKeptAtCloseRemovesNone) {
    openNew();
    settings->write(setting::MISC::SICHERUNGEN, qint64(4));
    for (int d = 1; d <= 4; ++d) addAndClose(d);
    ASSERT_EQ(names().size(), 4);
    settings->write(setting::MISC::SICHERUNGEN, qint64(0));
    ASSERT_TRUE(reopen());
    FlightBook service(*book, *settings);
    const QStringList before = names();
    ASSERT_TRUE(service.RestoreFromBackup(before.first()));
    const QStringList after = names();
    ASSERT_EQ(after.size(), 5) << after.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(after.mid(0, 4), before);
}

TEST_F(BackupRotationTest, ACopyCutShortIsNeitherListedNorLeftBehind) {
    openNew();
    ASSERT_GT(add(day(1), 600), 0);
    book.reset();
    const QString work = QDir(rotation().folder()).filePath(QStringLiteral(".neu-2024-01-01_10-00-00"));
    ASSERT_TRUE(QDir().mkpath(work));
    EXPECT_EQ(names().size(), 1);
    addAndClose(2);
    EXPECT_EQ(names().size(), 2);
    EXPECT_FALSE(QFileInfo::exists(work));
}

TEST_F(BackupRotationTest, RestorePutsTheCopyBackKeepsTheCurrentFilesAndMovesTheTotal) {
    openNew();
    ASSERT_GT(add(day(1), 600), 0);
    book.reset();
    const QString first = names().value(0);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_TRUE(reopen());
    settings->write(setting::USER::GESAMTSTUNDEN, qint64(5000));  // set by hand: more than the flights
    FlightBook service(*book, *settings);
    FlightRecord longer = flight(day(2), 600, {QStringLiteral("P"), QStringLiteral("Kurz")}, 90);
    ASSERT_GT(service.AddFlight(longer, texts(QStringLiteral("B"))), 0);
    const QByteArray datBefore = bytes("Flug.dat");
    EXPECT_EQ(service.RunningTotal(), 5090);

    ASSERT_TRUE(service.RestoreFromBackup(first));
    EXPECT_EQ(book->FlightCount(), 1);
    EXPECT_EQ(service.RunningTotal(), 5000);
    EXPECT_TRUE(book->Check().isEmpty());
    // The files before the restore are the newest copy.
    const QStringList after = names();
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after.first(), first);
    EXPECT_EQ(backupFile(after.last(), "Flug.dat"), datBefore);
    // A flight stored after the restore goes where the restored logbook expects it.
    ASSERT_GT(service.AddFlight(flight(day(3), 600), texts(QStringLiteral("C"))), 0);
    EXPECT_TRUE(book->Check().isEmpty());
}

// After a comment is protected, its plain text stays in the copies: as the flight's comment in
// copies taken before, as a superseded record in the copy taken after. Taken out, every copy
// still opens whole with its flights and the texts that are not older ones.
TEST_F(BackupRotationTest, PlainTextsLeaveTheCopiesWhichStayWhole) {
    openNew();
    const FlightRecord plain = flight(day(1), 600);
    ASSERT_GT(book->AddFlight(plain, texts(QStringLiteral("EDXW"), QStringLiteral("Klartext geheim"))), 0);
    ASSERT_GT(book->AddFlight(flight(day(2), 600), texts(QStringLiteral("EDHL"), QStringLiteral("bleibt"))),
              0);
    book.reset();  // copy 1: the comment plain, as the flight's own
    ASSERT_TRUE(reopen());
    FlightRecord hidden = plain;
    hidden.CommentHidden = 1;
    ASSERT_GT(book->ChangeFlight(
                  1, hidden, texts(QStringLiteral("EDXW"), ScrambleText(QStringLiteral("Klartext geheim")))),
              0);
    book.reset();  // copy 2: the plain version superseded, still in Flug.str
    const QStringList copies = names();
    ASSERT_EQ(copies.size(), 2);
    for (const QString& c : copies)
        ASSERT_TRUE(backupFile(c, "Flug.str").contains("Klartext geheim")) << c.toStdString();
    const QByteArray namesBefore = backupFile(copies[0], "Flug.nam");

    int changed = -1;
    QString error;
    ASSERT_TRUE(rotation().removePlainTexts({std::uint32_t(plain.Date) << 16 | plain.Atd}, &changed, &error))
        << error.toStdString();
    EXPECT_EQ(changed, 2);
    for (const QString& c : copies) {
        SCOPED_TRACE(c.toStdString());
        EXPECT_FALSE(backupFile(c, "Flug.str").contains("Klartext geheim"));
        EXPECT_EQ(backupFile(c, "Flug.str").count("bleibt"), 1);
        QStringList problems;
        int flights = 0;
        EXPECT_TRUE(rotation().verify(c, &problems, &flights))
            << problems.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(flights, 2);
    }
    EXPECT_EQ(backupFile(copies[0], "Flug.nam"), namesBefore);
    // The copy taken after keeps the protected comment, the one before keeps its routing.
    EXPECT_TRUE(backupFile(copies[1], "Flug.str").contains(ScrambleBytes("Klartext geheim")));
    EXPECT_TRUE(backupFile(copies[0], "Flug.str").contains("EDXW"));
    // Nothing older is left: a second run changes no copy.
    ASSERT_TRUE(rotation().removePlainTexts({std::uint32_t(plain.Date) << 16 | plain.Atd}, &changed, &error));
    EXPECT_EQ(changed, 0);

    ASSERT_TRUE(rotation().removeAll(&error)) << error.toStdString();
    EXPECT_TRUE(names().isEmpty());
    EXPECT_TRUE(QDir(rotation().folder())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
}

TEST_F(BackupRotationTest, ACopyWhosePasswordOrProtectionDiffersIsNamedBeforeItIsPutBack) {
    openNew();
    ASSERT_TRUE(book->WritePassword(QStringLiteral("alt1")));
    ASSERT_TRUE(book->WriteProtectFlags(true, false));
    ASSERT_GT(add(day(1), 600), 0);
    book.reset();
    const QString name = names().value(0);
    ASSERT_TRUE(reopen());
    const std::optional<LogbookProtection> copy = rotation().protectionOf(name);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->password, QStringLiteral("alt1"));

    struct Case {
        const char* password;  // of the logbook now
        bool show, change;
        QStringList said;  // empty: nothing differs
    };
    const Case cases[] = {
        {"alt1", true, false, {}},
        {"neu1",
         true,
         false,
         {QStringLiteral("anderes Passwort"), QStringLiteral("Daten anzeigen."),
          QStringLiteral("nicht mehr anzeigen")}},
        {"",
         false,
         false,
         {QStringLiteral("das jetzige Flugbuch keines"), QStringLiteral("Daten anzeigen.")}},
        {"alt1",
         false,
         true,
         {QStringLiteral("gilt das Passwort für: Daten anzeigen (jetzt: Daten ändern).")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password);
        ASSERT_TRUE(book->WritePassword(QString::fromLatin1(c.password)));
        ASSERT_TRUE(book->WriteProtectFlags(c.show, c.change));
        const QString note = rotation().protectionChange(name, LogbookProtection::of(*book));
        EXPECT_EQ(note.isEmpty(), c.said.isEmpty()) << note.toStdString();
        for (const QString& part : c.said) EXPECT_TRUE(note.contains(part)) << note.toStdString();
    }
    EXPECT_TRUE(rotation().protectionChange(QStringLiteral("nix"), LogbookProtection::of(*book)).isEmpty());

    // Flags without a password guard nothing; a logbook that cannot be read is compared with nothing.
    const LogbookProtection none, flagsOnly{QString(), true, true};
    EXPECT_TRUE(protectionChangeNote(flagsOnly, none).isEmpty());
    EXPECT_TRUE(protectionChangeNote(std::nullopt, none).isEmpty());
    EXPECT_TRUE(protectionChangeNote(none, flagsOnly).isEmpty());
    EXPECT_TRUE(protectionChangeNote(std::nullopt, *copy)
                    .startsWith(QStringLiteral("Die Sicherung hat ein Passwort")));
    EXPECT_TRUE(
        protectionChangeNote(*copy, none).startsWith(QStringLiteral("Die Sicherung hat kein Passwort")));
}

TEST_F(BackupRotationTest, ACopyThatIsNotWholeIsNeverPutInPlace) {
    openNew();
    ASSERT_GT(add(day(1), 600), 0);
    ASSERT_GT(add(day(2), 600), 0);
    book.reset();
    const QString name = names().value(0);
    const QString copy = QDir(rotation().folder()).filePath(name);
    struct Damage {
        const char* file;
        QByteArray content;  // null: the file is missing
    };
    const Damage damages[] = {
        {"Flug.dat", QByteArray(100, 'x')},
        {"Flug.dat", backupFile(name, "Flug.dat").left(158 + 112)},
        {"Flug.str", QByteArray()},
        {"Flug.idx", QByteArray("kein Index")},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.file);
        const QString path = QDir(copy).filePath(QString::fromLatin1(d.file));
        const QByteArray good = backupFile(name, d.file);
        QFile::remove(path);
        if (!d.content.isNull()) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(d.content);
        }
        QStringList problems;
        EXPECT_FALSE(rotation().verify(name, &problems));
        EXPECT_FALSE(problems.isEmpty());

        ASSERT_TRUE(reopen());
        FlightBook service(*book, *settings);
        const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str");
        ui.asked.clear();
        EXPECT_FALSE(service.RestoreFromBackup(name));
        EXPECT_TRUE(ui.saidContaining(QStringLiteral("nicht vollständig")));
        EXPECT_TRUE(book->isOpen());
        EXPECT_EQ(book->FlightCount(), 2);
        EXPECT_EQ(bytes("Flug.dat"), dat);
        EXPECT_EQ(bytes("Flug.str"), str);
        book.reset();

        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(good);
    }
    QStringList problems;
    int flights = 0;
    EXPECT_TRUE(rotation().verify(name, &problems, &flights))
        << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(flights, 2);
    EXPECT_FALSE(rotation().verify(QStringLiteral("../") + name, &problems));
}

}  // namespace
}  // namespace velmarsk
