#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "controls/teditname.h"
#include "controls/tmyedit.h"

using velmarsk::TEditName;
using velmarsk::TMyEdit;

namespace {

QLineEdit* makeField(const QString& className, QWidget* parent) {
    if (className == QLatin1String("TEditName")) return new TEditName(parent);
    return new TMyEdit(parent);
}

}  // namespace

class TestTextFields : public QObject {
    Q_OBJECT

private slots:
    void maskedTyping_data();
    void maskedTyping();
    void programTextIsPutIntoThePlaces_data();
    void programTextIsPutIntoThePlaces();
    void allowedState_data();
    void allowedState();
    void beforeExitOnTabOnly_data();
    void beforeExitOnTabOnly();
};

void TestTextFields::maskedTyping_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");

    QTest::newRow("duty upper case") << ">lll;1; "
                                     << "ip"
                                     << "IP ";
    QTest::newRow("duty refuses digits") << ">lll;1; "
                                         << "i2p"
                                         << "IP ";
    QTest::newRow("duty has three places") << ">lll;1; "
                                           << "abcd"
                                           << "ABC";
    QTest::newRow("aircraft keeps case") << "cccccc;1; "
                                         << "Bo105"
                                         << "Bo105 ";
    QTest::newRow("callsign") << ">ccccccc;1; "
                              << "abc7123"
                              << "ABC7123";
    QTest::newRow("tctp letters and digits") << ">aaaa;1; "
                                             << "a-1b"
                                             << "A1B ";
    QTest::newRow("date separators close day and month") << "!90/90/00;1;_"
                                                         << "1.2.49"
                                                         << "01.02.49";
    QTest::newRow("date full") << "!90/90/00;1;_"
                               << "010249"
                               << "01.02.49";
}

void TestTextFields::maskedTyping() {
    QFETCH(QString, mask);
    QFETCH(QString, keys);
    QFETCH(QString, text);

    QWidget window;
    auto* field = new TEditName(&window);
    field->setEditMask(mask);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setCursorPosition(0);
    QTest::keyClicks(field, keys);
    QCOMPARE(field->text(), text);
    QVERIFY(field->isModified());
}

void TestTextFields::programTextIsPutIntoThePlaces_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("text");

    QTest::newRow("short text is padded") << ">lll;1; "
                                          << "ip"
                                          << "IP ";
    QTest::newRow("empty text") << ">lll;1; "
                                << ""
                                << "   ";
    QTest::newRow("long text is cut") << ">ccccccc;0; "
                                      << "D-HABCDEF"
                                      << "D-HABCD";
    QTest::newRow("date") << "!90/90/00;1;_"
                          << "01.02.49"
                          << "01.02.49";
    QTest::newRow("empty date") << "!90/90/00;1;_"
                                << ""
                                << "  .  .  ";
}

void TestTextFields::programTextIsPutIntoThePlaces() {
    QFETCH(QString, mask);
    QFETCH(QString, set);
    QFETCH(QString, text);

    TEditName field;
    field.setEditMask(mask);
    field.setText(set);
    QCOMPARE(field.text(), text);
    QVERIFY(!field.isModified());
}

void TestTextFields::allowedState_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("name field, blanks, not allowed") << "TEditName"
                                                     << "   " << false << false;
    QTest::newRow("name field, text, not allowed") << "TEditName"
                                                   << "IP " << false << true;
    QTest::newRow("name field, blanks, allowed") << "TEditName"
                                                 << "   " << true << true;
    QTest::newRow("plain field, blanks, not allowed") << "TMyEdit"
                                                      << "  " << false << false;
    QTest::newRow("plain field, text, not allowed") << "TMyEdit"
                                                    << "Meier" << false << true;
    QTest::newRow("plain field, empty, allowed") << "TMyEdit"
                                                 << "" << true << true;
}

void TestTextFields::allowedState() {
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(bool, allowed);
    QFETCH(bool, enabled);

    QWidget window;
    QLineEdit* field = makeField(className, &window);
    const QColor normal = field->palette().color(QPalette::Active, QPalette::Base);
    field->setText(text);
    QVERIFY(field->setProperty("AllowedColor", 65535u));
    QVERIFY(field->setProperty("Allowed", allowed));
    QCOMPARE(field->isEnabled(), enabled);
    const QPalette::ColorGroup shown = enabled ? QPalette::Active : QPalette::Disabled;
    QCOMPARE(field->palette().color(shown, QPalette::Base), allowed ? normal : QColor(Qt::yellow));
}

void TestTextFields::beforeExitOnTabOnly_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("fires");

    for (const char* cls : {"TEditName", "TMyEdit"}) {
        const QString name = QString::fromLatin1(cls);
        QTest::addRow("%s Tab", cls) << name << int(Qt::Key_Tab) << true;
        QTest::addRow("%s Up", cls) << name << int(Qt::Key_Up) << false;
        QTest::addRow("%s Down", cls) << name << int(Qt::Key_Down) << false;
    }
}

void TestTextFields::beforeExitOnTabOnly() {
    QFETCH(QString, className);
    QFETCH(int, key);
    QFETCH(bool, fires);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QLineEdit* field = makeField(className, &window);
    auto* next = new QLineEdit(&window);
    layout->addWidget(field);
    layout->addWidget(next);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus();

    QSignalSpy spy(field, SIGNAL(BeforeExit(QWidget*)));
    QVERIFY(spy.isValid());
    QTest::keyClick(field, static_cast<Qt::Key>(key));
    QCOMPARE(spy.count(), fires ? 1 : 0);
    if (fires) {
        QCOMPARE(spy.at(0).at(0).value<QWidget*>(), field);
        QVERIFY(next->hasFocus());
    }
}

QTEST_MAIN(TestTextFields)
#include "tst_textfields.moc"
