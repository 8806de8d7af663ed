#pragma once

#include "dialogs/guiinteraction.h"
#include "dialogs/messagebox.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "testflight.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace velmarsk::test {

// A logbook in a temporary folder for window tests; message boxes are answered from a script.
struct LogbookEnv {
    QTemporaryDir dir;
    std::unique_ptr<Settings> settings;
    GuiInteraction ui;
    std::unique_ptr<Logbook> book;
    std::unique_ptr<FlightBook> service;

    LogbookEnv() { settings = std::make_unique<Settings>(dir.filePath(QStringLiteral("tarnoki.ini"))); }

    bool open(std::deque<Interaction::Answer> answers = {Interaction::Answer::Yes}) {
        MessageBox::shown().clear();
        MessageBox::setNextAnswers(std::move(answers));
        // A question beyond the script is answered No rather than waiting for a click.
        const bool wasAuto = MessageBox::autoAnswer();
        MessageBox::setAutoAnswer(true, Interaction::Answer::No);
        service.reset();
        book = std::make_unique<Logbook>(dir.path(), *settings, ui);
        const bool ok = book->Open();
        MessageBox::setNextAnswers({});
        MessageBox::setAutoAnswer(wasAuto, Interaction::Answer::Yes);
        return ok;
    }

    // The service the windows work through, over the open logbook.
    FlightBook& flightBook() {
        if (!service || &service->logbook() != book.get())
            service = std::make_unique<FlightBook>(*book, *settings);
        return *service;
    }

    NameRef ref(const QString& text) { return book->names().NameIndexOf(text); }

    FlightRecord flight(const QDate& date, int atd, int ate = 60) {
        return testFlight(book->names(), date, atd, ate, {QStringLiteral("P"), QStringLiteral("Meier")},
                          QStringLiteral("8401"));
    }

    int add(const FlightRecord& r, const QString& routing = QStringLiteral("EDXW - EDHL"),
            const QString& comment = QString()) {
        StringRecord s;
        s.Routing = routing;
        s.Comment = comment;
        return book->AddFlight(r, s);
    }

    void writeBytes(const char* name, const QByteArray& data) const {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(data), data.size());
    }

    QByteArray bytes(const char* name) const {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Clicks the visible button of this name in any window; false when there is none yet.
inline bool clickVisibleButton(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* b = top->findChild<QPushButton*>(name); b && b->isVisible()) {
            b->click();
            return true;
        }
    return false;
}

}  // namespace velmarsk::test
