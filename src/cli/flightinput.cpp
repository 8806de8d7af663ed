#include "flightinput.h"

#include "cliinteraction.h"
#include "exchange/flightjson.h"
#include "storage/fileerror.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace velmarsk {
namespace {

// The line and column of a byte offset, for messages about bad JSON.
QString placeOf(const QByteArray& data, int offset) {
    const QByteArray before = data.left(offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = offset - (before.lastIndexOf('\n') + 1) + 1;
    return QStringLiteral("Zeile %1, Spalte %2").arg(line).arg(column);
}

QString parseErrorText(QJsonParseError::ParseError error) {
    switch (error) {
        case QJsonParseError::UnterminatedObject:
            return QStringLiteral("ein Objekt ist nicht abgeschlossen");
        case QJsonParseError::MissingNameSeparator:
            return QStringLiteral("nach einem Schlüssel fehlt der Doppelpunkt");
        case QJsonParseError::UnterminatedArray:
            return QStringLiteral("ein Array ist nicht abgeschlossen");
        case QJsonParseError::MissingValueSeparator:
            return QStringLiteral("zwischen zwei Werten fehlt das Komma");
        case QJsonParseError::IllegalValue:
            return QStringLiteral("ungültiger Wert");
        case QJsonParseError::TerminationByNumber:
            return QStringLiteral("die Eingabe endet mitten in einer Zahl");
        case QJsonParseError::IllegalNumber:
            return QStringLiteral("ungültige Zahl");
        case QJsonParseError::IllegalEscapeSequence:
        case QJsonParseError::IllegalUTF8String:
            return QStringLiteral("ungültiges Zeichen in einem Text");
        case QJsonParseError::UnterminatedString:
            return QStringLiteral("ein Text ist nicht abgeschlossen");
        case QJsonParseError::MissingObject:
            return QStringLiteral("ein Objekt oder Array fehlt");
        case QJsonParseError::GarbageAtEnd:
            return QStringLiteral("nach dem Ende folgen weitere Zeichen");
        default:
            return QStringLiteral("die Eingabe ist kein JSON");
    }
}

}  // namespace

std::optional<QList<FlightDraft>> FlightInput::read(const QString& source, bool single) {
    QFile file;
    const bool fromStdin = source.isEmpty() || source == QLatin1String("-");
    const bool opened = fromStdin ? file.open(stdin, QIODevice::ReadOnly)
                                  : (file.setFileName(source), file.open(QIODevice::ReadOnly));
    const QString where =
        fromStdin ? QStringLiteral("der Standardeingabe") : QDir::toNativeSeparators(source);
    if (!opened) {
        CliInteraction::printError(
            QStringLiteral("%1 kann nicht gelesen werden: %2").arg(where, fileErrorText(file)));
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        CliInteraction::printError(
            QStringLiteral("Ungültiges JSON in %1 (%2): %3")
                .arg(where, placeOf(data, parseError.offset), parseErrorText(parseError.error)));
        return std::nullopt;
    }
    QList<QJsonValue> values;
    if (doc.isObject()) {
        values << doc.object();
    } else if (!single) {
        const QJsonArray array = doc.array();
        values = QList<QJsonValue>(array.begin(), array.end());
    }
    if (values.isEmpty() && (single || !doc.isArray())) {
        CliInteraction::printError(
            single ? QStringLiteral("Erwartet wird ein JSON-Objekt mit einem Flug.")
                   : QStringLiteral("Erwartet wird ein JSON-Objekt oder ein Array von Objekten."));
        return std::nullopt;
    }
    QList<FlightDraft> drafts;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString which =
            values.size() > 1 || doc.isArray() ? QStringLiteral("Flug %1: ").arg(i + 1) : QString();
        QString error;
        if (!values[i].isObject()) {
            CliInteraction::printError(which + QStringLiteral("kein JSON-Objekt."));
            return std::nullopt;
        }
        auto draft = FlightJson::read(values[i].toObject(), &error);
        if (!draft) {
            CliInteraction::printError(which + error);
            return std::nullopt;
        }
        drafts << *draft;
    }
    return drafts;
}

}  // namespace velmarsk
