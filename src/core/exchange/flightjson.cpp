#include "exchange/flightjson.h"

#include "dates/daynumber.h"
#include "storage/nametable.h"
#include "storage/scramble.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstring>

namespace velmarsk {
namespace {

const QString kDuty = QStringLiteral("Duty");
const QString kName = QStringLiteral("Name");
const QString kRouting = QStringLiteral("Routing");
const QString kComment = QStringLiteral("Comment");

QString quoted(const QString& key) {
    return QLatin1Char('"') + key + QLatin1Char('"');
}

// The value as it stood in the input, for messages.
QString valueText(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

bool readShortText(const QJsonValue& value, const QString& what, QString* out, QString* error) {
    if (!value.isString()) {
        *error = what + QStringLiteral(" muss ein Text sein.");
        return false;
    }
    *out = value.toString();
    const QString fault = FlightDraft::nameFault(*out);
    if (!fault.isEmpty()) {
        *error = what + QLatin1Char(' ') + fault;
        return false;
    }
    return true;
}

bool readCrew(const QJsonValue& value, const QString& key, std::array<QString, kCrewSlots>* out,
              QString* error) {
    if (!value.isArray()) {
        *error = quoted(key) + QStringLiteral(" muss ein Array von Texten sein.");
        return false;
    }
    const QJsonArray array = value.toArray();
    if (array.size() > kCrewSlots) {
        *error = quoted(key) + QStringLiteral(" hat mehr als %1 Einträge.").arg(kCrewSlots);
        return false;
    }
    for (qsizetype k = 0; k < array.size(); ++k)
        if (!readShortText(array.at(k), QStringLiteral("%1[%2]").arg(quoted(key)).arg(k),
                           &(*out)[std::size_t(k)], error))
            return false;
    return true;
}

bool readLongText(const QJsonValue& value, const QString& key, QString* out, QString* error) {
    if (!value.isString()) {
        *error = quoted(key) + QStringLiteral(" muss ein Text sein.");
        return false;
    }
    *out = value.toString();
    const QString fault = FlightDraft::textFault(*out);
    if (!fault.isEmpty()) {
        *error = quoted(key) + QLatin1Char(' ') + fault;
        return false;
    }
    return true;
}

bool readField(const FieldInfo& field, const QJsonValue& value, FlightDraft& draft, QString* error) {
    const QString key = QString::fromLatin1(field.name);
    switch (field.kind) {
        case FieldKind::Day: {
            const QDate date = QDate::fromString(value.toString(), Qt::ISODate);
            const std::int64_t day = dateToDayNumber(date);
            if (!value.isString() || day < 1) {
                *error = quoted(key) + QStringLiteral(": ") + valueText(value) +
                         QStringLiteral(" ist kein gültiges Datum der Form JJJJ-MM-TT.");
                return false;
            }
            field.set(draft.record, std::uint32_t(day));
            return true;
        }
        case FieldKind::Text: {
            QString* target = key == QLatin1String("Aircraft")       ? &draft.aircraft
                              : key == QLatin1String("Callsign")     ? &draft.callsign
                              : key == QLatin1String("Registration") ? &draft.registration
                                                                     : &draft.tctp;
            return readShortText(value, quoted(key), target, error);
        }
        case FieldKind::Time:
        case FieldKind::Counter:
        case FieldKind::Flag: {
            const double number = value.toDouble(-1);
            const QString fault = FlightDraft::valueFault(field, value.isDouble() ? number : -1);
            if (!fault.isEmpty()) {
                *error = quoted(key) + QStringLiteral(": ") + valueText(value) + QLatin1Char(' ') + fault;
                return false;
            }
            field.set(draft.record, std::uint32_t(number));
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<FlightDraft> FlightJson::read(const QJsonObject& object, QString* error) {
    FlightDraft draft;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString& key = it.key();
        bool ok = false;
        if (key == kDuty)
            ok = readCrew(it.value(), key, &draft.duty, error);
        else if (key == kName)
            ok = readCrew(it.value(), key, &draft.name, error);
        else if (key == kRouting)
            ok = readLongText(it.value(), key, &draft.routing, error);
        else if (key == kComment)
            ok = readLongText(it.value(), key, &draft.comment, error);
        else if (const FieldInfo* field = findFlightField(key.toLatin1().constData()))
            ok = readField(*field, it.value(), draft, error);
        else
            *error = QStringLiteral("Unbekannter Schlüssel %1.").arg(quoted(key));
        if (!ok) return std::nullopt;
    }
    if (draft.record.Date == 0) {
        *error = QStringLiteral("\"Date\" fehlt.");
        return std::nullopt;
    }
    return draft;
}

QJsonObject FlightJson::write(const FlightRecord& record, const StringRecord& texts, const NameTable& names) {
    QJsonObject o;
    for (const FieldInfo& field : flightFields()) {
        const QString key = QString::fromLatin1(field.name);
        const std::uint32_t v = field.get(record);
        switch (field.kind) {
            case FieldKind::Day:
                o.insert(key, dayNumberToDate(v).toString(Qt::ISODate));
                break;
            case FieldKind::Text:
                o.insert(key, names.NameAt(NameRef(std::int16_t(v))));
                break;
            case FieldKind::Time:
            case FieldKind::Counter:
            case FieldKind::Flag:
                o.insert(key, qint64(v));
                break;
        }
    }
    // The crew arrays end with their last non-empty text.
    auto crew = [&](const std::array<NameRef, kCrewSlots>& refs) {
        QJsonArray a;
        int used = kCrewSlots;
        while (used > 0 && names.NameAt(refs[std::size_t(used - 1)]).isEmpty()) --used;
        for (int k = 0; k < used; ++k) a.append(names.NameAt(refs[std::size_t(k)]));
        return a;
    };
    o.insert(kDuty, crew(record.Duty));
    o.insert(kName, crew(record.Name));
    o.insert(kRouting, texts.Routing);
    o.insert(kComment, record.commentProtected() ? UnscrambleText(texts.Comment) : texts.Comment);
    return o;
}

}  // namespace velmarsk
