// The entry mask on its own, without the main window around it: a stored flight shown, changed
// and taken back as the record that is to be stored.
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/tmyedit.h"
#include "entry/entrymask.h"
#include "logbookenv.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

class TestEntryMask : public QObject {
    Q_OBJECT

private slots:
    void takesBackTheShownFlightWithEveryCrewSlot();
    void statesShowTheirButtonsAndAreAnnounced();
};

void TestEntryMask::takesBackTheShownFlightWithEveryCrewSlot() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(QDate(2024, 3, 1), 600);
    for (int k = 0; k < 6; ++k) {
        r.Duty[std::size_t(k)] = env.ref(QStringLiteral("D") + QChar(u'A' + k));
        r.Name[std::size_t(k)] = env.ref(QStringLiteral("Name%1").arg(k + 1));
    }
    StringRecord texts;
    texts.Routing = QStringLiteral("EDXW - EDHL\r\nzurück");
    texts.Comment = QStringLiteral("Wolken");
    EntryMask mask(env.flightBook());
    mask.ShowFlight(r, texts, true, true);
    QCOMPARE(mask.CrewCount(), 6);
    mask.SBName->setValue(3);  // rows show slots 3..6
    QCOMPARE(mask.EDName[3]->text(), QStringLiteral("Name6"));

    mask.startEntry(ChangeFlight);
    mask.EDName[1]->setText(QStringLiteral("Neu"));  // slot 4, reached only through the bar
    mask.MRouting->setPlainText(QStringLiteral("EDXW\nEDHL"));
    StringRecord taken;
    const FlightRecord back = mask.TakeFlight(taken);
    FlightRecord expected = r;
    expected.Name[3] = env.ref(QStringLiteral("Neu"));
    QCOMPARE(back.toBytes().toHex(), expected.toBytes().toHex());
    QCOMPARE(taken.Routing, QStringLiteral("EDXW\r\nEDHL"));
    QCOMPARE(taken.Comment, QStringLiteral("Wolken"));
}

void TestEntryMask::statesShowTheirButtonsAndAreAnnounced() {
    LogbookEnv env;
    QVERIFY(env.open());
    EntryMask mask(env.flightBook());
    QSignalSpy spy(&mask, &EntryMask::entryStateChanged);
    QVERIFY(mask.BtnUp->isVisibleTo(&mask));
    QVERIFY(!mask.Btnok->isVisibleTo(&mask));
    mask.BeginNewFlight();
    QCOMPARE(mask.EntryState(), NewFlight);
    QVERIFY(mask.Btnok->isVisibleTo(&mask));
    QVERIFY(!mask.BtnUp->isVisibleTo(&mask));
    QVERIFY(!spy.isEmpty());
    QCOMPARE(spy.last().at(0).value<EntryStateValue>(), NewFlight);
    mask.setEntryState(Browse);
    QCOMPARE(spy.last().at(0).value<EntryStateValue>(), Browse);
}

QTEST_MAIN(TestEntryMask)
#include "tst_entrymask.moc"
