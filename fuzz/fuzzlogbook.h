#pragma once

#include "storage/interaction.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>

namespace velmarsk::fuzz {

// Gives every question the same answer (Yes: a new logbook is created where none is).
class FixedAnswer final : public Interaction {
public:
    explicit FixedAnswer(Answer answer) : m_answer(answer) {}
    Answer ask(const QString&, const QString&, Icon, Buttons b) override {
        return b == Buttons::Ok ? Answer::Ok : m_answer;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }

private:
    Answer m_answer;
};

// A small logbook the program wrote itself (generated flights, one changed, one with a protected
// comment), kept in memory, and a work folder on which each run puts it with one file replaced by
// the fuzzer's bytes before opening and reading it as the program does.
class FuzzLogbook {
public:
    static FuzzLogbook& instance();

    // The files of the logbook by name ("Flug.dat", ...), as the program wrote them.
    const QMap<QString, QByteArray>& base() const { return m_base; }

    // Opens the logbook with file `name` holding `content` (absent when content is null), reads
    // every flight through each reader, runs the check, and with `maintain` also the index rebuild,
    // the sort and a change. Aborts when a rule that must hold does not: a logbook whose data file
    // the program knows opens; no flight the damaged files still hold whole is lost or changed,
    // after opening or after a repair; a repair does not fail; the repaired logbook passes its check.
    void run(const QString& name, const QByteArray& content, bool maintain);

    // What a flight holds beside its key: the numbers of its record, the texts its name references
    // stand for, its routing and comment.
    struct Held {
        QByteArray numbers;  // the record with its name references cleared
        QStringList names;
        QString routing;
        QString comment;
    };

private:
    FuzzLogbook();
    void createBase();
    void resetWorkFolder(const QString& name, const QByteArray& content);

    QTemporaryDir m_work;
    QMap<QString, QByteArray> m_base;
    // The base logbook's flights by key (Date << 16 | Atd), and the slot of each.
    QMap<std::uint32_t, Held> m_baseFlights;
    QMap<std::uint32_t, int> m_baseSlots;
};

}  // namespace velmarsk::fuzz
