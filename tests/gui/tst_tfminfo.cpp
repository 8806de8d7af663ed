// The info window: the flight count and the version, the picture from the data folder decoded by
// libjpeg and sizing the window, and the design size with a message when the picture cannot be used.
#include "entry/tfmhaupt.h"
#include "extras/jpegdecoder.h"
#include "extras/tfminfo.h"
#include "generator/flightgenerator.h"
#include "logbookenv.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

// The picture shipped with the program: 640 x 480.
QByteArray shippedPicture() {
    QFile f(QFINDTESTDATA("../../data/INFO.JPG"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Seen {
    bool shown = false;
    QString count, before, after;
    QSize client;
    bool picture = false;
    QString hint;
    // Every word of the count line at its full width, the line inside its panel.
    bool countLineFits = false;
    QString version;
    // The version line inside the panel, clear of the title and the count.
    bool versionFits = false;
};

bool countLineFits(const TFMInfo* info) {
    for (const QLabel* label : {info->Label4, info->LBFluege, info->Label5})
        if (label->width() < label->sizeHint().width()) return false;
    return info->Panel1->rect().contains(info->Panel2->geometry());
}

bool versionFits(const TFMInfo* info) {
    const QRect version = info->LBVersion->geometry();
    return info->LBVersion->width() >= info->LBVersion->sizeHint().width() &&
           info->Panel1->rect().contains(version) && !version.intersects(info->Label1->geometry()) &&
           !version.intersects(info->Panel2->geometry());
}

}  // namespace

class TestInfoWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void showsTheCountOverThePictureAtItsSize();
    void withoutAUsablePictureKeepsItsDesignSize_data();
    void withoutAUsablePictureKeepsItsDesignSize();

private:
    // Opens "Info" from the menu and reads the modal window before closing it with its button.
    static Seen openInfo(LogbookEnv& env) {
        TFMHaupt w(env.flightBook(), env.ui);
        w.show();
        MessageBox::shown().clear();
        Seen seen;
        QTimer::singleShot(0, [&seen] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* info = qobject_cast<TFMInfo*>(top); info && info->isVisible()) {
                    seen = {true,
                            info->LBFluege->text(),
                            info->Label4->text(),
                            info->Label5->text(),
                            info->size(),
                            !info->PicInfo->pixmap().isNull(),
                            info->PicInfo->toolTip(),
                            countLineFits(info),
                            info->LBVersion->text(),
                            versionFits(info)};
                    info->BtnClose->click();
                }
        });
        w.menuAction(QStringLiteral("Info"))->trigger();
        return seen;
    }
};

void TestInfoWindow::showsTheCountOverThePictureAtItsSize() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d = 1; d <= 3; ++d) env.add(env.flight(QDate(2024, 3, d), 600));
    const QByteArray jpeg = shippedPicture();
    QVERIFY(!jpeg.isEmpty());
    QVERIFY(jpeg.size() < 60 * 1024);
    env.writeBytes(TFMInfo::kPictureFile, jpeg);

    const Seen seen = openInfo(env);
    QVERIFY(seen.shown);
    QCOMPARE(seen.before, QStringLiteral("gespeichert:"));
    QCOMPARE(seen.count, QStringLiteral("3"));
    QCOMPARE(seen.after, QStringLiteral("Flüge"));
    QVERIFY(seen.picture);
    QCOMPARE(seen.client, QSize(640, 480));
    QCOMPARE(seen.hint, QStringLiteral("Man kann auch mal Pech haben"));
    QVERIFY(seen.countLineFits);
    QCOMPARE(seen.version, QStringLiteral("Version " VELMARSK_VERSION));
    QVERIFY(seen.versionFits);
    QVERIFY(MessageBox::shown().empty());

    // A larger system font and a four-digit count still fit the line.
    const QFont before = QApplication::font();
    QFont larger = before;
    larger.setPointSize(12);
    QApplication::setFont(larger);
    FlightGenerator(5, 1200).addTo(env.flightBook(), 1200);
    const Seen large = openInfo(env);
    QApplication::setFont(before);
    QCOMPARE(large.count, QStringLiteral("1203"));
    QVERIFY(large.countLineFits);
    QVERIFY(large.versionFits);

    // The decoder gives the picture's own pixels: the sky is blue at the top, light at the bottom.
    const QImage image = decodeJpeg(jpeg);
    QCOMPARE(image.size(), QSize(640, 480));
    QVERIFY(qBlue(image.pixel(5, 5)) > qRed(image.pixel(5, 5)) + 60);
    QVERIFY(qRed(image.pixel(5, 475)) > 180);
}

void TestInfoWindow::withoutAUsablePictureKeepsItsDesignSize_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("no jpeg") << QByteArray("kein Bild") << QStringLiteral("kein lesbares JPEG-Bild");
    QTest::newRow("only its first marker")
        << shippedPicture().left(2) << QStringLiteral("kein lesbares JPEG-Bild");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("existiert nicht");
}

void TestInfoWindow::withoutAUsablePictureKeepsItsDesignSize() {
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    LogbookEnv env;
    QVERIFY(env.open());
    if (!file.isEmpty()) env.writeBytes(TFMInfo::kPictureFile, file);
    // Beside the test program lies no picture to fall back on.
    for (const QString& folder : TFMInfo::pictureFolders(env.dir.path()).mid(1))
        QVERIFY(!QFile::exists(QDir(folder).filePath(QString::fromLatin1(TFMInfo::kPictureFile))));

    const Seen seen = openInfo(env);
    QVERIFY(seen.shown);
    QVERIFY(!seen.picture);
    QCOMPARE(seen.client, QSize(790, 599));
    QCOMPARE(seen.count, QStringLiteral("0"));
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QVERIFY2(MessageBox::shown().back().text.contains(message), qPrintable(MessageBox::shown().back().text));
}

QTEST_MAIN(TestInfoWindow)
#include "tst_tfminfo.moc"
