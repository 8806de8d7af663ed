#include <QTest>
#include <QWidget>
#include <memory>

#include "controls/tcolorpanel.h"
#include "controls/tdistime.h"
#include "controls/tdisverf.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tgcheckbox.h"
#include "controls/tmarker.h"
#include "controls/tmycheckbox.h"
#include "controls/tmyedit.h"

using namespace velmarsk;

namespace {

std::unique_ptr<QWidget> makeControl(const QString& className) {
    if (className == QLatin1String("TEdit5Min")) return std::make_unique<TEdit5Min>();
    if (className == QLatin1String("TEditZahl")) return std::make_unique<TEditZahl>();
    if (className == QLatin1String("TEditName")) return std::make_unique<TEditName>();
    if (className == QLatin1String("TMyEdit")) return std::make_unique<TMyEdit>();
    if (className == QLatin1String("TDisTime")) return std::make_unique<TDisTime>();
    if (className == QLatin1String("TDisVerf")) return std::make_unique<TDisVerf>();
    if (className == QLatin1String("TColorPanel")) return std::make_unique<TColorPanel>();
    if (className == QLatin1String("TMyCheckBox")) return std::make_unique<TMyCheckBox>();
    if (className == QLatin1String("TMarker")) return std::make_unique<TMarker>();
    return std::make_unique<TGCheckBox>();
}

}  // namespace

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void publishedProperties_data();
    void publishedProperties();
    void statusByName();
    void timeCell_data();
    void timeCell();
    void countCell_data();
    void countCell();
    void markerIsAFilledSquare();
    void colorPanelShowsItsColor();
};

void TestControls::publishedProperties_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("properties");

    const QStringList allowed{QStringLiteral("Allowed"), QStringLiteral("AllowedColor"),
                              QStringLiteral("IniName")};
    QTest::newRow("TEdit5Min") << "TEdit5Min"
                               << allowed + QStringList{QStringLiteral("Minutes"), QStringLiteral("Status"),
                                                        QStringLiteral("DisZero")};
    QTest::newRow("TEditZahl") << "TEditZahl"
                               << allowed + QStringList{QStringLiteral("Min"), QStringLiteral("Max"),
                                                        QStringLiteral("Value"), QStringLiteral("Status")};
    QTest::newRow("TEditName") << "TEditName" << allowed;
    QTest::newRow("TMyEdit") << "TMyEdit" << allowed;
    QTest::newRow("TDisTime") << "TDisTime"
                              << QStringList{QStringLiteral("Minutes"), QStringLiteral("DisZero")};
    QTest::newRow("TDisVerf") << "TDisVerf" << QStringList{QStringLiteral("Value")};
    QTest::newRow("TColorPanel") << "TColorPanel" << QStringList{QStringLiteral("IniName")};
    QTest::newRow("TMyCheckBox") << "TMyCheckBox" << QStringList{QStringLiteral("IniName")};
    QTest::newRow("TMarker") << "TMarker" << QStringList{QStringLiteral("Size"), QStringLiteral("Color")};
    QTest::newRow("TGCheckBox") << "TGCheckBox"
                                << QStringList{QStringLiteral("Values"), QStringLiteral("KindOfValue")};
}

void TestControls::publishedProperties() {
    QFETCH(QString, className);
    QFETCH(QStringList, properties);

    const std::unique_ptr<QWidget> control = makeControl(className);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()),
             QStringLiteral("velmarsk::") + className);
    for (const QString& name : properties) {
        const QByteArray key = name.toLatin1();
        QVERIFY2(control->metaObject()->indexOfProperty(key.constData()) >= 0, key.constData());
        QVERIFY2(control->property(key.constData()).isValid(), key.constData());
    }
}

void TestControls::statusByName() {
    TEdit5Min time;
    TEditZahl count;
    QVERIFY(time.setProperty("Status", static_cast<int>(stNite)));
    QVERIFY(count.setProperty("Status", QVariant::fromValue(stDayNite)));
    QCOMPARE(time.status(), stNite);
    QCOMPARE(count.status(), stDayNite);
    QCOMPARE(time.property("Status").toInt(), static_cast<int>(stNite));
}

void TestControls::timeCell_data() {
    QTest::addColumn<quint32>("minutes");
    QTest::addColumn<bool>("disZero");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0u << false << " ";
    QTest::newRow("zero with DisZero") << 0u << true << "0:00";
    QTest::newRow("300") << 300u << false << "5:00 ";
    QTest::newRow("305") << 305u << false << "5:05 ";
    QTest::newRow("65") << 65u << false << "1:05 ";
    QTest::newRow("600") << 600u << false << "10:00 ";
    QTest::newRow("not rounded") << 7u << false << "0:07 ";
    QTest::newRow("large total") << 6000007u << true << "100000:07 ";
}

void TestControls::timeCell() {
    QFETCH(quint32, minutes);
    QFETCH(bool, disZero);
    QFETCH(QString, text);

    TDisTime cell;
    cell.setMinutes(90);
    QVERIFY(cell.setProperty("DisZero", disZero));
    QVERIFY(cell.setProperty("Minutes", minutes));
    QCOMPARE(cell.text(), text);
}

void TestControls::countCell_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0u << " ";
    QTest::newRow("12") << 12u << "12 ";
    QTest::newRow("1000") << 1000u << "1000 ";
}

void TestControls::countCell() {
    QFETCH(quint32, value);
    QFETCH(QString, text);

    TDisVerf cell;
    cell.setValue(5);
    QVERIFY(cell.setProperty("Value", value));
    QCOMPARE(cell.text(), text);
}

void TestControls::markerIsAFilledSquare() {
    QWidget chart;
    chart.resize(100, 100);
    auto* marker = new TMarker(&chart);
    QCOMPARE(marker->parentWidget(), &chart);
    QCOMPARE(marker->size(), QSize(5, 5));
    QVERIFY(marker->setProperty("Size", 9));
    QVERIFY(marker->setProperty("Color", 255u));
    QCOMPARE(marker->size(), QSize(9, 9));

    const QImage image = marker->grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(image.pixelColor(4, 4), QColor(Qt::red));
    QCOMPARE(image.pixelColor(8, 8), QColor(Qt::red));
}

void TestControls::colorPanelShowsItsColor() {
    TColorPanel panel;
    panel.resize(40, 20);
    panel.setColor(14869218u);
    QCOMPARE(panel.color(), 14869218u);
    const QImage image = panel.grab().toImage();
    QCOMPARE(image.pixelColor(20, 10), QColor(226, 226, 226));
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
