#include "totalcommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"

#include <QRegularExpression>
#include <optional>

namespace velmarsk {

TotalCommand::TotalCommand()
    : Command({.name = QStringLiteral("total"),
               .arguments = {{.name = QStringLiteral("STD:MM"), .optional = true}},
               .help = QStringLiteral("die Gesamtstunden; mit STD:MM von Hand gesetzt wie in den Optionen "
                                      "(was sie über die Flüge hinaus zählen, prüft check fortan)"),
               .guard = {.showing = true}}) {}

int TotalCommand::execute(CommandContext& context) const {
    std::optional<qint32> minutes;
    if (!context.args().isEmpty()) {
        static const QRegularExpression time(QStringLiteral("^(\\d{1,7}):([0-5]\\d)$"));
        const QRegularExpressionMatch m = time.match(context.args().at(0));
        if (!m.hasMatch()) {
            CliInteraction::printError(
                QStringLiteral("\"%1\" ist keine Zeit in Stunden und Minuten (STD:MM).")
                    .arg(context.args().at(0)));
            return kUsage;
        }
        minutes = qint32(m.captured(1).toInt() * 60 + m.captured(2).toInt());
    }
    if (!context.open()) return kError;
    if (minutes) {
        try {
            context.book().setRunningTotal(*minutes);
        } catch (const SettingsWriteError& e) {
            CliInteraction::printError(e.message());
            return kError;
        }
    }
    const qint32 total = context.book().RunningTotal();
    CliOutput::print((total < 0 ? QStringLiteral("-") : QString()) +
                     CliOutput::timeText(total < 0 ? -total : total) + QLatin1Char('\n'));
    return kOk;
}

}  // namespace velmarsk
