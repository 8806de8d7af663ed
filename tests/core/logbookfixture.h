#pragma once

#include "scriptedinteraction.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "testflight.h"

#include <gtest/gtest.h>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace velmarsk::test {

// A logbook in a fresh temporary folder, with helpers to build flights and look at the raw files.
class LogbookFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settings = std::make_unique<Settings>(dir.filePath(QStringLiteral("tarnoki.ini")));
    }

    std::unique_ptr<Logbook> makeLogbook() { return std::make_unique<Logbook>(dir.path(), *settings, ui); }

    Logbook& openNew() {
        book = makeLogbook();
        ui.answers = {Interaction::Answer::Yes};
        EXPECT_TRUE(book->Open());
        ui.asked.clear();
        return *book;
    }

    // Closes and opens again, as a restart of the program.
    bool reopen() {
        book.reset();
        settings = std::make_unique<Settings>(dir.filePath(QStringLiteral("tarnoki.ini")));
        book = makeLogbook();
        return book->Open();
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QByteArray bytes(const char* name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeBytes(const char* name, const QByteArray& data) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(data), data.size());
    }
    void patch(const char* name, qint64 offset, const QByteArray& data) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(offset));
        ASSERT_EQ(f.write(data), data.size());
    }

    // A flight on day/month/year at hh:mm with a crew of the given duty/name pairs.
    FlightRecord flight(const QDate& date, int atd,
                        const QStringList& crew = {QStringLiteral("P"), QStringLiteral("Meier")},
                        int ate = 60) {
        return testFlight(book->names(), date, atd, ate, crew, QStringLiteral("84+01"));
    }

    static StringRecord texts(const QString& routing, const QString& comment = {}) {
        StringRecord s;
        s.Routing = routing;
        s.Comment = comment;
        return s;
    }

    int add(const QDate& date, int atd, const QString& routing = QStringLiteral("EDXW - EDHL")) {
        return book->AddFlight(flight(date, atd), texts(routing));
    }

    QTemporaryDir dir;
    std::unique_ptr<Settings> settings;
    ScriptedInteraction ui;
    std::unique_ptr<Logbook> book;
};

inline QDate day(int d, int m = 3, int y = 2024) {
    return QDate(y, m, d);
}

}  // namespace velmarsk::test
