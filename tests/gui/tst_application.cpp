// Conversion errors raised inside an event handler are shown once, by the application, and the
// program goes on.
#include "dates/dateconversionerror.h"
#include "dialogs/messagebox.h"
#include "settings/settings.h"
#include "text/textstorageerror.h"
#include "velmarskapplication.h"

#include <QPushButton>
#include <QtTest>
#include <functional>

using namespace velmarsk;

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true);
    }

    void errorsOfAHandlerBecomeOneMessage_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("no date") << 0 << QStringLiteral("'31.02.24' ist kein gültiges Datum");
        QTest::newRow("not storable")
            << 1 << QStringLiteral("'Łódź' enthält Zeichen, die das Flugbuch nicht speichern kann");
        QTest::newRow("settings") << 2 << QStringLiteral("nach /x/tarnoki.ini kann nicht geschrieben werden");
    }

    void errorsOfAHandlerBecomeOneMessage() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QPushButton button;
        connect(&button, &QPushButton::clicked, [kind] {
            if (kind == 0) throw DateConversionError(QStringLiteral("31.02.24"));
            if (kind == 1)
                throw TextStorageError(
                    QString::fromUtf8("\xC5\x81\xC3\xB3"
                                      "d\xC5\xBA"));
            throw SettingsWriteError(QStringLiteral("nach /x/tarnoki.ini kann nicht geschrieben werden"));
        });
        button.show();
        // Delivered through the application; the second click shows the program went on.
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), std::size_t(2));
        QCOMPARE(MessageBox::shown().front().text, text);
    }
};

int main(int argc, char** argv) {
    VelmarskApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
