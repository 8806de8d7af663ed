#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "controls/colors.h"
#include "controls/tedit5min.h"

using velmarsk::TEdit5Min;

namespace {

const QString kEntryMask = QStringLiteral(" 99:99;1; ");

// A shown window with the time field and a second field to move to.
struct Form {
    std::unique_ptr<QWidget> window;
    TEdit5Min* field;
    QLineEdit* next;

    explicit Form(const QString& mask = kEntryMask,
                  std::unique_ptr<QWidget> form = std::make_unique<QWidget>())
        : window(std::move(form)), field(new TEdit5Min(window.get())), next(new QLineEdit(window.get())) {
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(field);
        layout->addWidget(next);
        field->setEditMask(mask);
        window->show();
        window->activateWindow();
    }

    // Waits for the window and puts the focus on the other field, so that entering the time field
    // is a real focus change.
    bool ready() {
        if (!QTest::qWaitForWindowActive(window.get())) return false;
        leave();
        return next->hasFocus();
    }

    // Tabs into the field, as a user does, so its text is selected.
    void enter() {
        field->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    void leave() {
        next->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
};

}  // namespace

class TestTEdit5Min : public QObject {
    Q_OBJECT

private slots:
    void typing_data();
    void typing();
    void writeMinutes_data();
    void writeMinutes();
    void sameValueKeepsTypedText();
    void disZeroShowsZeroAfterLeaving();
    void readingMinutesTakesEditedText();
    void clickIntoEmptyFieldTypesFromTheStart();
    void deletingPlaces_data();
    void deletingPlaces();
    void beforeExitKeys_data();
    void beforeExitKeys();
    void exitComesAfterTheTextIsRead();
    void arrowKeysReachTheWindowAfterBeforeExit();
    void allowedState_data();
    void allowedState();
    void allowedColorIsPainted();
    void usesTheMonospacedFont();
};

void TestTEdit5Min::typing_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("typedText");
    QTest::addColumn<quint32>("minutes");
    QTest::addColumn<QString>("shownText");

    QTest::newRow("full stop as separator") << kEntryMask << "1.30"
                                            << "  1:30" << 90u << "  1:30";
    QTest::newRow("letter as separator") << kEntryMask << "1h30"
                                         << "  1:30" << 90u << "  1:30";
    QTest::newRow("blank as separator") << kEntryMask << "1 30"
                                        << "  1:30" << 90u << "  1:30";
    QTest::newRow("four digits") << kEntryMask << "1230"
                                 << " 12:30" << 750u << " 12:30";
    QTest::newRow("fifth digit has no place") << kEntryMask << "12345"
                                              << " 12:34" << 750u << " 12:30";
    QTest::newRow("hours only") << kEntryMask << "2"
                                << " 2 :  " << 120u << "  2:00";
    QTest::newRow("tens of minutes only") << kEntryMask << "2:3"
                                          << "  2:3 " << 150u << "  2:30";
    QTest::newRow("rounded down to 5") << kEntryMask << "0:07"
                                       << "  0:07" << 5u << "  0:05";
    QTest::newRow("below 5 is empty") << kEntryMask << "0:04"
                                      << "  0:04" << 0u << "   :  ";
    QTest::newRow("minutes above 59 carry") << kEntryMask << "1:75"
                                            << "  1:75" << 135u << "  2:15";
    QTest::newRow("second separator ignored") << kEntryMask << "1::30"
                                              << "  1:30" << 90u << "  1:30";
    QTest::newRow("default mask") << "999:99;1; "
                                  << "1.5"
                                  << "  1:5 " << 110u << "  1:50";
    QTest::newRow("default mask three hour digits") << "999:99;1; "
                                                    << "10000"
                                                    << "100:00" << 6000u << "100:00";
}

void TestTEdit5Min::typing() {
    QFETCH(QString, mask);
    QFETCH(QString, keys);
    QFETCH(QString, typedText);
    QFETCH(quint32, minutes);
    QFETCH(QString, shownText);

    Form form(mask);
    QVERIFY(form.ready());
    form.enter();
    QTest::keyClicks(form.field, keys);
    QCOMPARE(form.field->text(), typedText);
    QVERIFY(form.field->isModified());

    form.leave();
    QCOMPARE(form.field->property("Minutes").value<quint32>(), minutes);
    QCOMPARE(form.field->text(), shownText);
    QVERIFY(!form.field->isModified());
}

void TestTEdit5Min::writeMinutes_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("disZero");
    QTest::addColumn<quint32>("written");
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<QString>("text");

    QTest::newRow("7 gives 5") << kEntryMask << false << 7u << 5u << "  0:05";
    QTest::newRow("14 gives 10") << kEntryMask << false << 14u << 10u << "  0:10";
    QTest::newRow("135") << kEntryMask << false << 135u << 135u << "  2:15";
    QTest::newRow("two hour digits") << kEntryMask << false << 600u << 600u << " 10:00";
    QTest::newRow("4 is empty") << kEntryMask << false << 4u << 0u << "   :  ";
    QTest::newRow("4 with DisZero") << kEntryMask << true << 4u << 0u << "  0:00";
    QTest::newRow("default mask") << "999:99;1; " << false << 135u << 135u << "  2:15";
    QTest::newRow("total field") << " 9999:99;1; " << false << 599940u << 599940u << " 9999:00";
    // Hours beyond the places are shown whole rather than cut.
    QTest::newRow("hours outgrow the places") << kEntryMask << false << 65535u << 65535u << "1092:15";
}

void TestTEdit5Min::writeMinutes() {
    QFETCH(QString, mask);
    QFETCH(bool, disZero);
    QFETCH(quint32, written);
    QFETCH(quint32, stored);
    QFETCH(QString, text);

    TEdit5Min field;
    field.setEditMask(mask);
    field.setDisZero(disZero);
    field.setMinutes(30);  // so that writing 0-ish values is a change
    QVERIFY(field.setProperty("Minutes", written));
    QCOMPARE(field.minutes(), stored);
    QCOMPARE(field.text(), text);
    QVERIFY(!field.isModified());
}

void TestTEdit5Min::sameValueKeepsTypedText() {
    Form form;
    QVERIFY(form.ready());
    form.field->setMinutes(135);
    QCOMPARE(form.field->text(), QStringLiteral("  2:15"));

    form.enter();
    QTest::keyClicks(form.field, QStringLiteral("1:75"));
    form.leave();
    // 1:75 is the 135 minutes already held, so the text is left as typed.
    QCOMPARE(form.field->text(), QStringLiteral("  1:75"));
    QCOMPARE(form.field->minutes(), 135u);
    QVERIFY(!form.field->isModified());

    // A value that differs is shown again in the usual form.
    form.enter();
    QTest::keyClicks(form.field, QStringLiteral("1:80"));
    form.leave();
    QCOMPARE(form.field->text(), QStringLiteral("  2:20"));
    QCOMPARE(form.field->minutes(), 140u);
}

void TestTEdit5Min::disZeroShowsZeroAfterLeaving() {
    Form form;
    QVERIFY(form.ready());
    form.field->setDisZero(true);
    QCOMPARE(form.field->text(), QStringLiteral("  0:00"));

    form.field->setMinutes(90);
    form.enter();
    QTest::keyClicks(form.field, QStringLiteral("0:04"));
    form.leave();
    QCOMPARE(form.field->minutes(), 0u);
    QCOMPARE(form.field->text(), QStringLiteral("  0:00"));
}

void TestTEdit5Min::readingMinutesTakesEditedText() {
    Form form;
    QVERIFY(form.ready());
    form.enter();
    QTest::keyClicks(form.field, QStringLiteral("1.30"));
    QVERIFY(form.field->hasFocus());
    QCOMPARE(form.field->minutes(), 90u);
    QVERIFY(!form.field->isModified());
}

void TestTEdit5Min::clickIntoEmptyFieldTypesFromTheStart() {
    Form form;
    QVERIFY(form.ready());
    const QPoint nearRightEdge(form.field->width() - 4, form.field->height() / 2);
    QTest::mouseClick(form.field, Qt::LeftButton, Qt::NoModifier, nearRightEdge);
    QVERIFY(form.field->hasFocus());
    QTest::keyClicks(form.field, QStringLiteral("1.30"));
    QCOMPARE(form.field->text(), QStringLiteral("  1:30"));
}

void TestTEdit5Min::deletingPlaces_data() {
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("minutes");

    // The field holds "  2:15".
    QTest::newRow("backspace at the end") << 6 << int(Qt::Key_Backspace) << "  2:1 " << 130u;
    QTest::newRow("backspace after the colon skips it") << 4 << int(Qt::Key_Backspace) << "   :15" << 15u;
    QTest::newRow("delete before the colon") << 2 << int(Qt::Key_Delete) << "   :15" << 15u;
    QTest::newRow("delete on the colon clears the next place")
        << 3 << int(Qt::Key_Delete) << "  2: 5" << 125u;
    QTest::newRow("backspace at the start") << 0 << int(Qt::Key_Backspace) << "  2:15" << 135u;
}

void TestTEdit5Min::deletingPlaces() {
    QFETCH(int, caret);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(quint32, minutes);

    Form form;
    QVERIFY(form.ready());
    form.field->setMinutes(135);
    form.enter();
    form.field->setCursorPosition(caret);
    QTest::keyClick(form.field, static_cast<Qt::Key>(key));
    QCOMPARE(form.field->text(), text);
    QCOMPARE(form.field->text().size(), 6);
    QCOMPARE(form.field->minutes(), minutes);
}

void TestTEdit5Min::beforeExitKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("fires");

    QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << true;
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << true;
    QTest::newRow("Up") << int(Qt::Key_Up) << int(Qt::NoModifier) << true;
    QTest::newRow("Down") << int(Qt::Key_Down) << int(Qt::NoModifier) << true;
    QTest::newRow("Left") << int(Qt::Key_Left) << int(Qt::NoModifier) << false;
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
    QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << false;
}

void TestTEdit5Min::beforeExitKeys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, fires);

    Form form;
    QVERIFY(form.ready());
    QVERIFY(!form.field->hasBeforeExit());
    bool hadFocus = false;
    QObject::connect(form.field, &TEdit5Min::BeforeExit, form.field,
                     [&](QWidget* field) { hadFocus = field->hasFocus(); });
    QVERIFY(form.field->hasBeforeExit());
    QSignalSpy spy(form.field, &TEdit5Min::BeforeExit);
    form.enter();
    QTest::keyClick(form.field, static_cast<Qt::Key>(key), static_cast<Qt::KeyboardModifiers>(modifiers));

    QCOMPARE(spy.count(), fires ? 1 : 0);
    if (fires) {
        QCOMPARE(spy.at(0).at(0).value<QWidget*>(), form.field);
        QVERIFY2(hadFocus, "BeforeExit must come before the focus moves");
    }
}

void TestTEdit5Min::exitComesAfterTheTextIsRead() {
    Form form;
    QVERIFY(form.ready());
    QStringList seen;
    QObject::connect(form.field, &TEdit5Min::Enter, form.field, [&] { seen << QStringLiteral("enter"); });
    QObject::connect(form.field, &TEdit5Min::BeforeExit, form.field,
                     [&] { seen << QStringLiteral("before ") + form.field->text(); });
    QObject::connect(form.field, &TEdit5Min::Exit, form.field,
                     [&] { seen << QStringLiteral("exit ") + form.field->text(); });

    form.enter();
    QTest::keyClicks(form.field, QStringLiteral("1.30"));
    QTest::keyClick(form.field, Qt::Key_Tab);
    QVERIFY(form.next->hasFocus());
    QCOMPARE(seen, QStringList({QStringLiteral("enter"), QStringLiteral("before   1:30"),
                                QStringLiteral("exit   1:30")}));
}

void TestTEdit5Min::arrowKeysReachTheWindowAfterBeforeExit() {
    // The entry window moves the focus on Up and Down itself; it sees them after the field.
    struct KeyWindow : QWidget {
        QStringList* seen = nullptr;
        void keyPressEvent(QKeyEvent* event) override {
            *seen << QStringLiteral("window %1")
                         .arg(event->key() == Qt::Key_Up ? QLatin1String("up") : QLatin1String("down"));
        }
    };
    QStringList seen;
    auto window = std::make_unique<KeyWindow>();
    window->seen = &seen;
    Form form(kEntryMask, std::move(window));
    QVERIFY(form.ready());
    QObject::connect(form.field, &TEdit5Min::BeforeExit, form.field,
                     [&] { seen << QStringLiteral("before"); });

    form.enter();
    QTest::keyClick(form.field, Qt::Key_Up);
    QTest::keyClick(form.field, Qt::Key_Down);
    QCOMPARE(seen, QStringList({QStringLiteral("before"), QStringLiteral("window up"),
                                QStringLiteral("before"), QStringLiteral("window down")}));
}

void TestTEdit5Min::allowedState_data() {
    QTest::addColumn<quint32>("minutes");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("empty, allowed") << 0u << true << true;
    QTest::newRow("empty, not allowed") << 0u << false << false;
    QTest::newRow("holding a time, not allowed") << 30u << false << true;
    QTest::newRow("holding a time, allowed") << 30u << true << true;
}

void TestTEdit5Min::allowedState() {
    QFETCH(quint32, minutes);
    QFETCH(bool, allowed);
    QFETCH(bool, enabled);

    TEdit5Min field;
    const QColor window = field.palette().color(QPalette::Active, QPalette::Base);
    field.setMinutes(minutes);
    QVERIFY(field.setProperty("AllowedColor", 255u));
    QVERIFY(field.setProperty("Allowed", allowed));

    QCOMPARE(field.isEnabled(), enabled);
    const QPalette::ColorGroup shown = enabled ? QPalette::Active : QPalette::Disabled;
    QCOMPARE(field.palette().color(shown, QPalette::Base), allowed ? window : QColor(Qt::red));

    // A new not-allowed colour applies at once.
    field.setAllowedColor(65535u);
    QCOMPARE(field.palette().color(shown, QPalette::Base), allowed ? window : QColor(Qt::yellow));
}

void TestTEdit5Min::allowedColorIsPainted() {
    Form form;
    QVERIFY(form.ready());
    form.field->setAllowedColor(255u);
    form.field->setAllowed(false);
    QVERIFY(!form.field->isEnabled());
    const QImage image = form.field->grab().toImage();
    QCOMPARE(image.pixelColor(image.width() - 6, image.height() / 2), QColor(Qt::red));
}

void TestTEdit5Min::usesTheMonospacedFont() {
    TEdit5Min field;
    QCOMPARE(QFontInfo(field.font()).family(), QStringLiteral("Liberation Mono"));
}

QTEST_MAIN(TestTEdit5Min)
#include "tst_tedit5min.moc"
