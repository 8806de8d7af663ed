// Typing dates and times as a person does, through real key events, from every way a field is
// found: caret at its start, its text selected by Tab, empty, or the caret in the middle.
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "dates/dateconversionerror.h"

using velmarsk::TEdit5Min;
using velmarsk::TEditName;

namespace {

enum class Start { Home, SelectedOnEntry, Empty, Middle };

const char* startName(Start start) {
    switch (start) {
        case Start::Home:
            return "home";
        case Start::SelectedOnEntry:
            return "selected";
        case Start::Empty:
            return "empty";
        case Start::Middle:
            return "middle";
    }
    return "";
}

// One keystroke sequence and what each starting state makes of it.
struct Row {
    const char* keys;
    const char* results[4];  // by Start
};

// A shown window with the field under test behind a plain field, so that Tab enters it.
struct Form {
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    QLineEdit* field;
    QLineEdit* after = new QLineEdit(&window);

    explicit Form(QLineEdit* f) : field(f) {
        field->setParent(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(field);
        layout->addWidget(after);
        QWidget::setTabOrder(before, field);
        QWidget::setTabOrder(field, after);
        window.show();
        window.activateWindow();
    }

    // Puts the caret or selection where a start says, by keys and focus changes only.
    bool prepare(Start start, int middle) {
        if (!QTest::qWaitForWindowActive(&window)) return false;
        before->setFocus(Qt::TabFocusReason);
        QTest::keyClick(before, Qt::Key_Tab);
        if (!field->hasFocus()) return false;
        switch (start) {
            case Start::SelectedOnEntry:
                return field->selectedText() == field->text();
            case Start::Empty:
                QTest::keyClick(field, Qt::Key_Delete);  // the selection: every place emptied
                QTest::keyClick(field, Qt::Key_Home);
                return field->text().trimmed() == QStringLiteral(".  .") ||
                       field->text().trimmed() == QStringLiteral(":");
            case Start::Home:
                QTest::keyClick(field, Qt::Key_Home);
                return field->cursorPosition() == 0 && !field->hasSelectedText();
            case Start::Middle:
                QTest::keyClick(field, Qt::Key_Home);
                for (int i = 0; i < middle; ++i) QTest::keyClick(field, Qt::Key_Right);
                return field->cursorPosition() == middle && !field->hasSelectedText();
        }
        return false;
    }

    void leave() { QTest::keyClick(field, Qt::Key_Tab); }
};

void addRows(const char* kind, const QList<Row>& rows) {
    for (const Row& row : rows) {
        for (const Start start : {Start::Home, Start::SelectedOnEntry, Start::Empty, Start::Middle}) {
            const char* result = row.results[static_cast<int>(start)];
            QTest::addRow("%s %s \"%s\"", kind, startName(start), row.keys)
                << static_cast<int>(start) << QString::fromUtf8(row.keys) << QString::fromUtf8(result);
        }
    }
}

}  // namespace

class TestMaskTyping : public QObject {
    Q_OBJECT

private slots:
    void date_data();
    void date();
    void time_data();
    void time();
};

// The field holds 05.03.12; "middle" puts the caret at the start of the month. A result is the
// field's text, then "=" and the date read from it, or "= kein Datum" when it is refused.
void TestMaskTyping::date_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("result");

    addRows(
        "date",
        {
            {"09.12.23",
             {"09.12.23=2023-12-09", "09.12.23=2023-12-09", "09.12.23=2023-12-09", "05.09.12=2012-09-05"}},
            {"09.12.26",
             {"09.12.26=2026-12-09", "09.12.26=2026-12-09", "09.12.26=2026-12-09", "05.09.12=2012-09-05"}},
            {"1.3.26",
             {"01.03.26=2026-03-01", "01.03.26=2026-03-01", "01.03.26=2026-03-01", "05.01.32=2032-01-05"}},
            {"1,3,26",
             {"01.03.26=2026-03-01", "01.03.26=2026-03-01", "01.03.26=2026-03-01", "05.01.32=2032-01-05"}},
            {"090326",
             {"09.03.26=2026-03-09", "09.03.26=2026-03-09", "09.03.26=2026-03-09", "05.09.03=2003-09-05"}},
            {"01.03.26",
             {"01.03.26=2026-03-01", "01.03.26=2026-03-01", "01.03.26=2026-03-01", "05.01.03=2003-01-05"}},
            {"1..26",
             {"01.03.26=2026-03-01", "01.  .26= kein Datum", "01.  .26= kein Datum", "05.01.26=2026-01-05"}},
            // Half a date is refused, never read as another one.
            {"1.12.2",
             {"01.12.22=2022-12-01", "01.12.2 = kein Datum", "01.12.2 = kein Datum", "05.01.12=2012-01-05"}},
            {"31.02.26",
             {"31.02.26= kein Datum", "31.02.26= kein Datum", "31.02.26= kein Datum",
              "05.31.02= kein Datum"}},
            {"9.1",
             {"09.13.12= kein Datum", "09.1 .  = kein Datum", "09.1 .  = kein Datum", "05.09.12=2012-09-05"}},
        });
}

void TestMaskTyping::date() {
    QFETCH(int, start);
    QFETCH(QString, keys);
    QFETCH(QString, result);

    Form form(TEditName::dateField(nullptr, "EDDate"));
    form.field->setText(QStringLiteral("05.03.12"));
    QVERIFY(form.prepare(static_cast<Start>(start), 3));
    QTest::keyClicks(form.field, keys);
    QString read;
    try {
        read = velmarsk::FieldDate(form.field->text()).toString(Qt::ISODate);
    } catch (const velmarsk::DateConversionError&) {
        read = QStringLiteral(" kein Datum");
    }
    QCOMPARE(form.field->text() + QLatin1Char('=') + read, result);
}

// The entry mask's time field holds 10:30; "middle" puts the caret at the start of the minutes. A
// result is the text as typed, then "=" and the minutes read when the field is left.
void TestMaskTyping::time_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("result");

    addRows("time", {
                        {"8:15", {"  8:15=495", "  8:15=495", "  8:15=495", " 10:81=680"}},
                        {"08:15", {" 08:15=495", " 08:15=495", " 08:15=495", " 10:08=605"}},
                        {"815", {" 81:50=495", " 81:5 =495", " 81:5 =495", " 10:81=680"}},
                        {"8.15", {"  8:15=495", "  8:15=495", "  8:15=495", " 10:81=680"}},
                        {"1230", {" 12:30=750", " 12:30=750", " 12:30=750", " 10:12=610"}},
                        {"2", {" 20:30=1230", " 2 :  =120", " 2 :  =120", " 10:20=620"}},
                        {"2:", {"  2:30=150", "  2:  =120", "  2:  =120", " 10:20=620"}},
                        {"12:5", {" 12:50=770", " 12:5 =770", " 12:5 =770", " 10:12=610"}},
                    });
}

void TestMaskTyping::time() {
    QFETCH(int, start);
    QFETCH(QString, keys);
    QFETCH(QString, result);

    auto* field = new TEdit5Min;
    field->setEditMask(QStringLiteral(" 99:99;1; "));
    field->setMinutes(630);
    Form form(field);
    QVERIFY(form.prepare(static_cast<Start>(start), 4));
    QTest::keyClicks(form.field, keys);
    const QString typed = form.field->text();
    form.leave();
    QVERIFY(!form.field->hasFocus());
    QCOMPARE(typed + QLatin1Char('=') + QString::number(field->minutes()), result);
}

QTEST_MAIN(TestMaskTyping)
#include "tst_masktyping.moc"
