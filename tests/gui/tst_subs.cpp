#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>

#include "controls/colors.h"
#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmyedit.h"
#include "dates/dateconversionerror.h"

using namespace velmarsk;

// A control from elsewhere that takes part only because it declares the properties.
class ForeignField : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Allowed MEMBER allowed)
    Q_PROPERTY(quint32 AllowedColor MEMBER allowedColor)

public:
    using QWidget::QWidget;
    bool allowed = false;
    quint32 allowedColor = 0;
};

namespace {

// A window shaped like an entry mask: fields in a panel, a nested group, a label, a button, a plain
// edit without the properties and a dialog the window owns.
struct Tree {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QFrame* panel = new QFrame(window.get());
    TEdit5Min* heldTime = new TEdit5Min(panel);
    TEdit5Min* emptyTime = new TEdit5Min(panel);
    TEditName* duty = new TEditName(panel);
    TMyEdit* name = new TMyEdit(panel);
    QLabel* label = new QLabel(QStringLiteral("Time"), panel);
    QGroupBox* group = new QGroupBox(panel);
    TEditZahl* heldCount = new TEditZahl(group);
    TEditZahl* emptyCount = new TEditZahl(group);
    ForeignField* foreign = new ForeignField(group);
    QLineEdit* plain = new QLineEdit(group);
    QPushButton* button = new QPushButton(window.get());
    QDialog* dialog = new QDialog(window.get());

    Tree() {
        heldTime->setMinutes(30);
        duty->setEditMask(QStringLiteral(">lll;1; "));
        heldCount->setValue(3);
    }

    QList<QWidget*> fields() const { return {heldTime, emptyTime, duty, name, heldCount, emptyCount}; }
};

// Whether the widget itself is switched on, regardless of its parents.
bool ownEnabled(const QWidget* widget) {
    return widget->isEnabledTo(widget->parentWidget());
}

}  // namespace

class TestSubs : public QObject {
    Q_OBJECT

private slots:
    void setAllowedTreeLocksAndUnlocks();
    void setAllowedColorTreeReachesNestedFields();
    void textToDate_data();
    void textToDate();
    void textToDateRefuses_data();
    void textToDateRefuses();
    void centerOverMainForm_data();
    void centerOverMainForm();
    void centerOnScreenWithoutMainForm();
    void colorValues_data();
    void colorValues();
    void fontMapping_data();
    void fontMapping();
};

void TestSubs::setAllowedTreeLocksAndUnlocks() {
    Tree tree;
    SetAllowedTree(tree.window.get(), false);

    QVERIFY(tree.window->isEnabled());
    QVERIFY(!ownEnabled(tree.panel));
    QVERIFY(!ownEnabled(tree.group));
    QVERIFY(!ownEnabled(tree.label));
    QVERIFY(!ownEnabled(tree.button));
    QVERIFY(!ownEnabled(tree.plain));
    QVERIFY(!ownEnabled(tree.emptyTime));
    QVERIFY(!ownEnabled(tree.emptyCount));
    QVERIFY(!ownEnabled(tree.name));
    // Fields that hold a value stay switched on so that the value can be removed.
    QVERIFY(ownEnabled(tree.heldTime));
    QVERIFY(ownEnabled(tree.heldCount));
    for (QWidget* field : tree.fields()) QCOMPARE(field->property("Allowed").toBool(), false);
    QCOMPARE(tree.foreign->allowed, false);
    QVERIFY(!ownEnabled(tree.foreign));
    QVERIFY(tree.dialog->isEnabled());
    QVERIFY(tree.plain->dynamicPropertyNames().isEmpty());

    SetAllowedTree(tree.window.get(), true);
    for (QWidget* widget : tree.window->findChildren<QWidget*>()) {
        QVERIFY2(widget->isEnabled(), widget->metaObject()->className());
    }
    for (QWidget* field : tree.fields()) QCOMPARE(field->property("Allowed").toBool(), true);
    QCOMPARE(tree.foreign->allowed, true);
}

void TestSubs::setAllowedColorTreeReachesNestedFields() {
    Tree tree;
    SetAllowedColorTree(tree.window.get(), 255u);
    for (QWidget* field : tree.fields()) {
        QCOMPARE(field->property("AllowedColor").value<quint32>(), 255u);
    }
    QCOMPARE(tree.foreign->allowedColor, 255u);
    QVERIFY(tree.plain->dynamicPropertyNames().isEmpty());
    QVERIFY(tree.label->dynamicPropertyNames().isEmpty());

    // Locked fields take the new colour at once.
    SetAllowedTree(tree.window.get(), false);
    SetAllowedColorTree(tree.window.get(), 65535u);
    QCOMPARE(tree.emptyCount->palette().color(QPalette::Disabled, QPalette::Base), QColor(Qt::yellow));
    QCOMPARE(tree.heldTime->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::yellow));
}

void TestSubs::textToDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");

    QTest::newRow("49 is 2049") << "01.01.49" << QDate(2049, 1, 1);
    QTest::newRow("50 is 2050") << "31.12.50" << QDate(2050, 12, 31);
    QTest::newRow("51 is 1951") << "01.01.51" << QDate(1951, 1, 1);
    QTest::newRow("99 is 1999") << "31.12.99" << QDate(1999, 12, 31);
    QTest::newRow("00 is 2000, a leap year") << "29.02.00" << QDate(2000, 2, 29);
    QTest::newRow("single digits") << "1.2.3" << QDate(2003, 2, 1);
    QTest::newRow("blanks of an empty mask place") << " 1. 2.49" << QDate(2049, 2, 1);
    QTest::newRow("blanks after the numbers") << "1 .2 .49 " << QDate(2049, 2, 1);
    QTest::newRow("four-digit year") << "24.12.1987" << QDate(1987, 12, 24);
    QTest::newRow("four-digit year after 2050") << "01.01.2051" << QDate(1951, 1, 1);
    QTest::newRow("birthday default") << "01.01.1900" << QDate(2000, 1, 1);
}

void TestSubs::textToDate() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(TextToDate(text), date);
}

void TestSubs::textToDateRefuses_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("empty date field") << "  .  .  ";
    QTest::newRow("day 32") << "32.01.49";
    QTest::newRow("no leap day") << "29.02.01";
    QTest::newRow("month 13") << "01.13.49";
    QTest::newRow("day 0") << "00.01.49";
    QTest::newRow("other separator") << "01/01/49";
    QTest::newRow("no year") << "01.01";
    QTest::newRow("trailing text") << "01.01.49x";
    QTest::newRow("five-digit year") << "01.01.20491";
    QTest::newRow("three-digit day") << "001.01.49";
}

void TestSubs::textToDateRefuses() {
    QFETCH(QString, text);
    try {
        TextToDate(text);
        QFAIL("no exception");
    } catch (const DateConversionError& error) {
        QCOMPARE(error.text(), text);
        QCOMPARE(error.message(),
                 QStringLiteral("'") + text + QStringLiteral("' ist kein g\u00fcltiges Datum"));
        QCOMPARE(QString::fromUtf8(error.what()), error.message());
    }
}

void TestSubs::centerOverMainForm_data() {
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QSize>("dialog");

    QTest::newRow("smaller dialog") << QRect(100, 80, 704, 532) << QSize(200, 100);
    QTest::newRow("odd difference") << QRect(100, 80, 705, 533) << QSize(200, 100);
    // A dialog larger than the window: the half of a negative difference is truncated toward zero.
    QTest::newRow("larger dialog") << QRect(300, 200, 100, 50) << QSize(301, 151);
}

void TestSubs::centerOverMainForm() {
    QFETCH(QRect, main);
    QFETCH(QSize, dialog);

    QWidget mainForm;
    mainForm.setGeometry(main);
    mainForm.show();
    SetMainForm(&mainForm);
    QDialog window;
    window.resize(dialog);
    CenterOverMainForm(&window);

    const QRect outer = mainForm.frameGeometry();
    const QRect own = window.frameGeometry();
    QCOMPARE(own.left(), outer.left() + (outer.width() - own.width()) / 2);
    QCOMPARE(own.top(), outer.top() + (outer.height() - own.height()) / 2);
    if (dialog.width() > main.width()) {
        QCOMPARE(own.left() - outer.left(), -((own.width() - outer.width()) / 2));
    }
    SetMainForm(nullptr);
}

void TestSubs::centerOnScreenWithoutMainForm() {
    QRect screen;
    {
        auto mainForm = std::make_unique<QWidget>();
        SetMainForm(mainForm.get());
        mainForm->setGeometry(10, 10, 50, 50);
    }
    // The main window is gone, so the screen takes its place; so it does for a main window that
    // is not shown yet.
    QCOMPARE(MainForm(), nullptr);
    QWidget hidden;
    hidden.setGeometry(0, 0, 60, 40);
    for (QWidget* main : {static_cast<QWidget*>(nullptr), &hidden}) {
        SetMainForm(main);
        QDialog window;
        window.resize(300, 200);
        CenterOverMainForm(&window);
        screen = window.screen()->geometry();
        QCOMPARE(window.frameGeometry().left(), screen.left() + (screen.width() - 300) / 2);
        QCOMPARE(window.frameGeometry().top(), screen.top() + (screen.height() - 200) / 2);
    }
    SetMainForm(nullptr);
}

void TestSubs::colorValues_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QColor>("color");

    const QPalette palette = QGuiApplication::palette();
    QTest::newRow("red") << 255u << QColor(255, 0, 0);
    QTest::newRow("yellow") << 65535u << QColor(255, 255, 0);
    QTest::newRow("blue") << 0xFF0000u << QColor(0, 0, 255);
    QTest::newRow("light grey") << 14869218u << QColor(226, 226, 226);
    QTest::newRow("system window") << 0x80000005u << palette.color(QPalette::Base);
    QTest::newRow("system button face") << 0x8000000Fu << palette.color(QPalette::Button);
    QTest::newRow("system highlight") << 0x8000000Du << palette.color(QPalette::Highlight);
    QTest::newRow("unknown system colour") << 0x800000FFu << palette.color(QPalette::Window);
}

void TestSubs::colorValues() {
    QFETCH(quint32, value);
    QFETCH(QColor, color);
    QCOMPARE(colorFromValue(value), color);
    if (!(value & kSystemColorFlag)) QCOMPARE(valueFromColor(color), value);
}

void TestSubs::fontMapping_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("mapped");

    QTest::newRow("Courier New") << "Courier New"
                                 << "Liberation Mono";
    QTest::newRow("any case") << "courier new"
                              << "Liberation Mono";
    QTest::newRow("Arial") << "Arial"
                           << "Liberation Sans";
    QTest::newRow("MS Sans Serif") << "MS Sans Serif"
                                   << "Liberation Sans";
    QTest::newRow("others unchanged") << "Webdings"
                                      << "Webdings";
}

void TestSubs::fontMapping() {
    QFETCH(QString, family);
    QFETCH(QString, mapped);
    QCOMPARE(mappedFontFamily(family), mapped);
    if (mapped.startsWith(QLatin1String("Liberation"))) {
        QCOMPARE(QFontInfo(mappedFont(family, 8)).family(), mapped);
    }
}

QTEST_MAIN(TestSubs)
#include "tst_subs.moc"
