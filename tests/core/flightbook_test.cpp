// The service over the logbook: the running total follows every stored change, changes are
// announced, and a pass reads the flights as the files hold them.
#include "flightbook/flightbook.h"

#include "logbookfixture.h"
#include "settings/settingkeys.h"

#include <QSignalSpy>

namespace velmarsk {
namespace {

using test::day;

class FlightBookTest : public test::LogbookFixture {
protected:
    FlightBook& service() {
        if (!m_service) m_service = std::make_unique<FlightBook>(*book, *settings);
        return *m_service;
    }
    FlightRecord simulator(const QDate& date, int atd) {
        FlightRecord r = flight(date, atd);
        r.VfrDay = 0;
        r.SimDay = r.Ate;
        return r;
    }
    std::unique_ptr<FlightBook> m_service;
};

TEST_F(FlightBookTest, RunningTotalFollowsAddChangeAndDeleteExceptSimulatorFlights) {
    openNew();
    settings->write(setting::USER::GESAMTSTUNDEN, qint64(1000));
    FlightBook& s = service();
    QSignalSpy changed(&s, &FlightBook::flightsChanged);
    ASSERT_EQ(s.AddFlight(flight(day(1), 600), texts(QStringLiteral("A"))), 1);
    ASSERT_EQ(s.AddFlight(simulator(day(2), 600), texts(QStringLiteral("B"))), 2);
    EXPECT_EQ(s.RunningTotal(), 1060);
    // A flight turned into a simulator flight takes its time out of the total.
    ASSERT_EQ(s.ChangeFlight(1, simulator(day(1), 600), texts(QStringLiteral("A"))), 1);
    EXPECT_EQ(s.RunningTotal(), 1000);
    ASSERT_EQ(s.ChangeFlight(2, flight(day(2), 600, {}, 90), texts(QStringLiteral("B"))), 2);
    EXPECT_EQ(s.RunningTotal(), 1090);
    ASSERT_TRUE(s.DeleteFlight(2));
    EXPECT_EQ(s.RunningTotal(), 1000);
    EXPECT_EQ(settings->integer(setting::USER::GESAMTSTUNDEN), 1000);
    EXPECT_EQ(changed.count(), 5);

    // Refused changes leave total and signal alone.
    EXPECT_EQ(s.AddFlight(flight(day(1), 600), texts(QStringLiteral("A"))), Logbook::kDuplicate);
    EXPECT_FALSE(s.DeleteFlight(7));
    EXPECT_EQ(s.RunningTotal(), 1000);
    EXPECT_EQ(changed.count(), 5);
}

TEST_F(FlightBookTest, BatchWritesTheTotalAndAnnouncesOnceAtItsEnd) {
    openNew();
    FlightBook& s = service();
    QSignalSpy changed(&s, &FlightBook::flightsChanged);
    s.beginBatch();
    for (int i = 1; i <= 3; ++i) ASSERT_GT(s.AddFlight(flight(day(i), 600), texts(QString())), 0);
    EXPECT_EQ(s.RunningTotal(), 0);
    EXPECT_EQ(changed.count(), 0);
    ASSERT_TRUE(s.endBatch());
    EXPECT_EQ(s.RunningTotal(), 180);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(FlightBookTest, SettingsWriteFailureKeepsTheFlightAndIsReported) {
    openNew();
    FlightBook& s = service();
    // A folder in the settings file's place: the file can no longer be replaced.
    QFile::remove(path("tarnoki.ini"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tarnoki.ini")));
    ASSERT_EQ(s.AddFlight(flight(day(1), 600), texts(QString())), 1);
    EXPECT_TRUE(s.settingsWriteFailed());
    EXPECT_EQ(book->FlightCount(), 1);
    ASSERT_FALSE(ui.asked.empty());
    EXPECT_TRUE(ui.asked.back().text.contains(QStringLiteral("kann nicht geschrieben werden")));
}

TEST_F(FlightBookTest, SettingsAreReadUnderTheLockSoNoUpdateOfAnotherProgramIsLost) {
    openNew();
    book.reset();
    // A second program starts and reads the settings while the first one still works.
    Settings early(path("tarnoki.ini"));
    ASSERT_TRUE(reopen());
    ASSERT_EQ(service().AddFlight(flight(day(1), 600), texts(QString())), 1);
    m_service.reset();
    book.reset();

    test::ScriptedInteraction secondUi;
    Logbook second(dir.path(), early, secondUi);
    ASSERT_TRUE(second.Open());
    FlightBook secondService(second, early);
    ASSERT_EQ(secondService.AddFlight(test::testFlight(second.names(), day(2), 600, 60, {QStringLiteral("P"), QStringLiteral("Meier")}, QStringLiteral("84+01")), texts(QString())), 2);
    EXPECT_EQ(Settings(path("tarnoki.ini")).integer(setting::USER::GESAMTSTUNDEN), 120);
}

TEST_F(FlightBookTest, SettingsWritesAreAnnouncedWithTheirKey) {
    openNew();
    QSignalSpy spy(&service(), &FlightBook::settingsChanged);
    settings->write(setting::TCTP::GESVFR, qint64(600));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("TCTP"));
    EXPECT_EQ(spy.at(0).at(1).toString(), QStringLiteral("GESVFR"));
}

TEST_F(FlightBookTest, PassReadsFlightsAndTextsInDateOrderAsStored) {
    openNew();
    // Added out of date order, so that slot order and date order differ.
    for (int d : {5, 1, 3}) ASSERT_GT(add(day(d), 600, QStringLiteral("R%1").arg(d)), 0);
    FlightRecord hidden = flight(day(2), 700);
    hidden.CommentHidden = 1;
    StringRecord t = texts(QStringLiteral("Ä - Ö"), QStringLiteral("geheim"));
    ASSERT_GT(book->AddFlight(hidden, t), 0);
    ASSERT_GT(book->ChangeFlight(1, flight(day(1), 630), texts(QStringLiteral("neu"))), 0);

    const auto pass = service().pass();
    ASSERT_EQ(pass->FlightCount(), 4);
    for (int p = 1; p <= 4; ++p) {
        FlightRecord viaPass, viaSeek;
        StringRecord textPass, textSeek;
        ASSERT_TRUE(pass->ReadFlight(p, viaPass));
        ASSERT_TRUE(book->ReadFlight(p, viaSeek));
        EXPECT_EQ(viaPass, viaSeek);
        EXPECT_EQ(pass->DateAt(p), viaSeek.Date);
        ASSERT_TRUE(pass->ReadStringRecord(p, textPass));
        ASSERT_TRUE(book->ReadStringRecord(p, textSeek));
        EXPECT_EQ(textPass.Routing, textSeek.Routing);
        EXPECT_EQ(textPass.Comment, textSeek.Comment);
        RawTexts raw;
        ASSERT_TRUE(pass->ReadRawTexts(p, raw));
        EXPECT_EQ(raw.routing.size(), textSeek.Routing.size());
    }
    StringRecord second;
    ASSERT_TRUE(pass->ReadStringRecord(2, second));
    EXPECT_EQ(second.Routing, QStringLiteral("Ä - Ö"));
    FlightRecord none;
    EXPECT_FALSE(pass->ReadFlight(0, none));
    EXPECT_FALSE(pass->ReadFlight(5, none));
}

TEST_F(FlightBookTest, PasswordGuardsWhatItsSwitchesSayAndProtectedCommentsOnlyWhileOneIsStored) {
    openNew();
    FlightBook& s = service();
    using Guard = FlightBook::Guard;
    FlightRecord plain = flight(day(1), 600);
    FlightRecord hidden = plain;
    hidden.CommentHidden = 1;
    FlightRecord foreign = plain;
    foreign.CommentHidden = 7;  // not written here, but any value but 0 protects

    // Without a password the switches guard nothing, and no text is the password.
    ASSERT_TRUE(book->WriteProtectFlags(true, true));
    EXPECT_FALSE(s.passwordGuards(Guard::Showing));
    EXPECT_FALSE(s.passwordGuards(Guard::Changing));
    EXPECT_FALSE(s.passwordGuardsComment(hidden));
    EXPECT_FALSE(s.isPassword(QString()));

    ASSERT_TRUE(book->WritePassword(QStringLiteral("Geheim")));
    for (const auto& [show, change] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
        SCOPED_TRACE(testing::Message() << "show " << show << ", change " << change);
        ASSERT_TRUE(book->WriteProtectFlags(show, change));
        EXPECT_EQ(s.passwordGuards(Guard::Showing), show);
        EXPECT_EQ(s.passwordGuards(Guard::Changing), change);
        EXPECT_TRUE(s.passwordGuardsComment(hidden));
        EXPECT_TRUE(s.passwordGuardsComment(foreign));
        EXPECT_FALSE(s.passwordGuardsComment(plain));
    }
    EXPECT_TRUE(s.isPassword(QStringLiteral("Geheim")));
    for (const char* wrong : {"geheim", "Geheim ", "Gehei", ""})
        EXPECT_FALSE(s.isPassword(QString::fromLatin1(wrong))) << wrong;
}

TEST(SettingKeysTest, EveryKeyIsFoundByItsNameInAnyCaseAndOnlyOnce) {
    for (const SettingKey* k : allSettingKeys()) {
        EXPECT_EQ(findSettingKey(k->iniName()), k) << k->key;
        EXPECT_EQ(findSettingKey(k->sectionName().toLower(), k->keyName().toLower()), k) << k->key;
    }
    EXPECT_EQ(findSettingKey(u"TCTP,NOSUCHKEY"), nullptr);
    EXPECT_EQ(findSettingKey(u"TCTPGESVFR"), nullptr);
    EXPECT_EQ(setting::SETTINGS::NOTALLOWEDCOLOR.number, 14869218);
    EXPECT_EQ(setting::PATH::Export.iniName(), QStringLiteral("PATH,Export"));
}

}  // namespace
}  // namespace velmarsk
