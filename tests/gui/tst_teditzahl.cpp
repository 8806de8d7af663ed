#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "controls/teditzahl.h"

using velmarsk::TEditZahl;

namespace {

struct Form {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    TEditZahl* field = new TEditZahl(window.get());
    QLineEdit* next = new QLineEdit(window.get());

    Form() {
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(field);
        layout->addWidget(next);
        window->show();
        window->activateWindow();
    }

    bool ready() {
        if (!QTest::qWaitForWindowActive(window.get())) return false;
        leave();
        return next->hasFocus();
    }

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

class TestTEditZahl : public QObject {
    Q_OBJECT

private slots:
    void leavingTakesTheDigits_data();
    void leavingTakesTheDigits();
    void writeValue_data();
    void writeValue();
    void sameValueKeepsTypedText();
    void readingValueTakesEditedText();
    void limits();
    void allowedState_data();
    void allowedState();
};

void TestTEditZahl::leavingTakesTheDigits_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<quint32>("min");
    QTest::addColumn<quint32>("max");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("text");

    const QString wide = QStringLiteral(" 999;1; ");
    const QString narrow = QStringLiteral(" 99;1; ");
    QTest::newRow("digits") << wide << 0u << 999u << "12" << 12u << "  12";
    QTest::newRow("letters are refused") << wide << 0u << 999u << "a1b2" << 12u << "  12";
    QTest::newRow("blank typed over the count") << wide << 0u << 999u << " " << 0u << "    ";
    QTest::newRow("only a zero") << wide << 0u << 999u << "0" << 0u << "    ";
    QTest::newRow("above Max") << wide << 0u << 99u << "123" << 99u << "  99";
    QTest::newRow("below Min") << wide << 5u << 999u << "2" << 5u << "   5";
    QTest::newRow("entry mask") << narrow << 0u << 99u << "7" << 7u << "  7";
    QTest::newRow("entry mask, third digit has no place") << narrow << 0u << 999u << "123" << 12u << " 12";
}

void TestTEditZahl::leavingTakesTheDigits() {
    QFETCH(QString, mask);
    QFETCH(quint32, min);
    QFETCH(quint32, max);
    QFETCH(QString, keys);
    QFETCH(quint32, value);
    QFETCH(QString, text);

    Form form;
    QVERIFY(form.ready());
    form.field->setEditMask(mask);
    QVERIFY(form.field->setProperty("Min", min));
    QVERIFY(form.field->setProperty("Max", max));
    form.field->setValue(42);  // so that every result is a change
    form.enter();
    QTest::keyClicks(form.field, keys);
    form.leave();
    QCOMPARE(form.field->property("Value").value<quint32>(), value);
    QCOMPARE(form.field->text(), text);
}

void TestTEditZahl::writeValue_data() {
    QTest::addColumn<quint32>("max");
    QTest::addColumn<quint32>("written");
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<QString>("text");

    QTest::newRow("in range") << 999u << 7u << 7u << "   7";
    QTest::newRow("clamped to Max") << 99u << 1234u << 99u << "  99";
    QTest::newRow("zero is empty") << 999u << 0u << 0u << "    ";
    QTest::newRow("largest") << 999u << 999u << 999u << " 999";
}

void TestTEditZahl::writeValue() {
    QFETCH(quint32, max);
    QFETCH(quint32, written);
    QFETCH(quint32, stored);
    QFETCH(QString, text);

    TEditZahl field;
    field.setMaximum(max);
    field.setValue(1);
    field.setValue(written);
    QCOMPARE(field.value(), stored);
    QCOMPARE(field.text(), text);
}

void TestTEditZahl::sameValueKeepsTypedText() {
    Form form;
    QVERIFY(form.ready());
    form.field->setValue(12);
    form.enter();
    form.field->setCursorPosition(0);
    QTest::keyClicks(form.field, QStringLiteral("1 2"));
    QCOMPARE(form.field->text(), QStringLiteral(" 1 2"));
    form.leave();
    QCOMPARE(form.field->value(), 12u);
    QCOMPARE(form.field->text(), QStringLiteral(" 1 2"));
}

void TestTEditZahl::readingValueTakesEditedText() {
    // The window reads the fields when Enter presses its default button, without leaving the field.
    Form form;
    QVERIFY(form.ready());
    form.enter();
    QTest::keyClicks(form.field, QStringLiteral("42"));
    QVERIFY(form.field->hasFocus());
    QCOMPARE(form.field->value(), 42u);
}

void TestTEditZahl::limits() {
    TEditZahl field;
    QCOMPARE(field.minimum(), 0u);
    QCOMPARE(field.maximum(), 999u);
    field.setMinimum(-3);
    QCOMPARE(field.minimum(), 0u);
    QVERIFY(field.setProperty("Max", 5000));
    QCOMPARE(field.maximum(), 999u);
    field.setValue(5000);
    QCOMPARE(field.value(), 999u);
}

void TestTEditZahl::allowedState_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("empty, not allowed") << 0u << false << false;
    QTest::newRow("holding a count, not allowed") << 3u << false << true;
    QTest::newRow("empty, allowed") << 0u << true << true;
}

void TestTEditZahl::allowedState() {
    QFETCH(quint32, value);
    QFETCH(bool, allowed);
    QFETCH(bool, enabled);

    TEditZahl field;
    const QColor window = field.palette().color(QPalette::Active, QPalette::Base);
    field.setValue(value);
    field.setAllowedColor(255u);
    field.setAllowed(allowed);
    QCOMPARE(field.isEnabled(), enabled);
    const QPalette::ColorGroup shown = enabled ? QPalette::Active : QPalette::Disabled;
    QCOMPARE(field.palette().color(shown, QPalette::Base), allowed ? window : QColor(Qt::red));
}

QTEST_MAIN(TestTEditZahl)
#include "tst_teditzahl.moc"
