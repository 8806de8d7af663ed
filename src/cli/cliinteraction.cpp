#include "cliinteraction.h"

#include "storage/messages.h"

#include <cstdio>

namespace velmarsk {
namespace {

void printLine(const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

}  // namespace

void CliInteraction::printError(const QString& text) {
    printLine(QStringLiteral("Fehler: ") + text);
}

void CliInteraction::printNote(const QString& text) {
    printLine(QStringLiteral("Hinweis: ") + text);
}

void CliInteraction::printMessage(const QString& text) {
    printLine(text);
}

void CliInteraction::report(const QString& line) {
    if (m_collecting)
        m_collected << line;
    else
        printLine(line);
}

Interaction::Answer CliInteraction::ask(const QString& caption, const QString& text, Icon, Buttons buttons) {
    const QString line = caption + QStringLiteral(": ") + text;
    if (buttons == Buttons::Ok) {
        report(line);
        return Answer::Ok;
    }
    if (text == msg::noLogbook()) {
        if (!m_createAllowed) {
            m_logbookMissing = true;
            return Answer::No;
        }
        m_creating = true;
        return Answer::Yes;
    }
    if (text == msg::interruptedSort()) {
        report(line + (m_restore ? QStringLiteral(" – Ja (--restore)")
                                 : QStringLiteral(" – Nein (--restore holt die Sicherungskopien zurück)")));
        return m_restore ? Answer::Yes : Answer::No;
    }
    // What changes a flight or replaces the index waits for rebuild-index, the user's own word.
    if (text.startsWith(msg::sameStartIntro())) {
        report(line + QStringLiteral(" – Nein (rebuild-index ändert die Startzeiten)"));
        return Answer::No;
    }
    if (text.endsWith(msg::unknownIndexQuestion())) {
        report(line + QStringLiteral(" – Nein (rebuild-index erstellt den Index neu)"));
        return Answer::No;
    }
    if (text == msg::noIndex()) {
        report(line + QStringLiteral(" – Ja"));
        return Answer::Yes;
    }
    report(line + QStringLiteral(" – Nein"));
    return Answer::No;
}

std::unique_ptr<Progress> CliInteraction::startProgress(Task task, const QString& from, const QString& to) {
    // A new logbook passes through every layout step; only the upgrade of real data is worth a note.
    if (task == Task::Upgrade && !m_creating)
        printNote(QStringLiteral("Flug.dat wird vom Format %1 auf %2 umgestellt.").arg(from, to));
    return std::make_unique<NullProgress>();
}

}  // namespace velmarsk
