#include "exchange/csvcolumns.h"

#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "exchange/csvexport.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace velmarsk {
namespace {

// Headings for columns of the table csv writes that are not its own names: the entry mask's
// captions where they differ from the field names, and the common German words for them.
const struct {
    const char* heading;
    const char* field;
} kAliases[] = {
    {"Datum", "Date"},      {"TCTP Nr", "Tctp"},        {"1.LF", "Lf1"},
    {"2.LF", "Lf2"},        {"Kommentar", "Comment"},   {"Kommentar geschützt", "CommentHidden"},
    {"Muster", "Aircraft"}, {"Rufzeichen", "Callsign"}, {"Kennzeichen", "Registration"},
    {"Strecke", "Routing"}, {"Bemerkung", "Comment"},
};

// A heading as it is compared: without blanks around it or a colon after it, without the
// mnemonic "&" of a caption ("A&TD"), in any letter case.
QString comparable(const QString& heading) {
    QString h = heading.simplified();
    h.remove(QLatin1Char('&'));
    if (h.endsWith(QLatin1Char(':'))) h.chop(1);
    return h.trimmed().toCaseFolded();
}

// A text in a message, on one line: its line breaks shown as "\n".
QString quoted(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\r'), QStringLiteral("\\n"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

std::optional<QDate> readDate(const QString& text) {
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    static const QRegularExpression german(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{2}|\\d{4})$"));
    if (const auto m = iso.match(text); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const auto m = german.match(text);
    if (!m.hasMatch()) return std::nullopt;
    if (m.capturedLength(3) == 4)
        return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    // Two-digit years as the entry mask reads them.
    try {
        return TextToDate(text);
    } catch (const DateConversionError&) {
        return std::nullopt;
    }
}

template <typename Draft>
auto& shortText(Draft& d, const FieldInfo& field) {
    if (std::strcmp(field.name, "Aircraft") == 0) return d.aircraft;
    if (std::strcmp(field.name, "Callsign") == 0) return d.callsign;
    if (std::strcmp(field.name, "Registration") == 0) return d.registration;
    return d.tctp;
}

// A time as H:MM, as H:MM:SS with no seconds (spreadsheets add them), or as whole minutes; a
// counter or flag as a whole number. The reason when the text is neither, or beyond the field.
QString readValue(const FieldInfo& field, const QString& text, std::uint32_t* value) {
    static const QRegularExpression number(QStringLiteral("^\\d{1,9}$"));
    static const QRegularExpression time(QStringLiteral("^(\\d{1,7}):(\\d\\d)(?::(\\d\\d))?$"));
    const bool timeField = field.kind == FieldKind::Time;
    double v = 0;
    bool asTime = false;
    if (number.match(text).hasMatch()) {
        v = text.toDouble();
    } else if (const auto m = time.match(text); timeField && m.hasMatch()) {
        if (m.captured(2).toInt() >= 60) return QStringLiteral("ist keine Zeit der Form H:MM.");
        if (m.hasCaptured(3) && m.captured(3) != QLatin1String("00"))
            return QStringLiteral("hat Sekunden; das Flugbuch führt ganze Minuten.");
        v = m.captured(1).toDouble() * 60 + m.captured(2).toInt();
        asTime = true;
    } else {
        return timeField ? QStringLiteral("ist keine Zeit der Form H:MM und keine Zahl von Minuten.")
                         : QStringLiteral("ist keine ganze Zahl.");
    }
    const QString fault = FlightDraft::valueFault(field, v, asTime || field.isClockTime());
    if (fault.isEmpty()) *value = std::uint32_t(v);
    return fault;
}

}  // namespace

QString CsvColumns::fieldOf(const QString& heading) {
    const QString h = comparable(heading);
    QString field;
    for (const auto& alias : kAliases)
        if (comparable(QString::fromUtf8(alias.heading)) == h) field = QString::fromLatin1(alias.field);
    for (const QString& column : CsvExport::columns())
        if (column.toCaseFolded() == (field.isEmpty() ? h : field.toCaseFolded())) return column;
    return {};
}

bool CsvColumns::read(const QStringList& header, QString* reason) {
    m_columns.clear();
    for (const QString& heading : header) {
        Column c{heading, fieldOf(heading)};
        static const QRegularExpression crew(QStringLiteral("^(Duty|Name)(\\d)$"));
        if (c.field.isEmpty()) {
            c.kind = Kind::Ignored;
        } else if (const auto m = crew.match(c.field); m.hasMatch()) {
            c.kind = m.captured(1) == QLatin1String("Duty") ? Kind::Duty : Kind::Name;
            c.slot = m.captured(2).toInt() - 1;
        } else if (c.field == QLatin1String("Routing")) {
            c.kind = Kind::Routing;
        } else if (c.field == QLatin1String("Comment")) {
            c.kind = Kind::Comment;
        } else {
            c.info = findFlightField(c.field.toLatin1().constData());
            c.kind = c.info->kind == FieldKind::Day    ? Kind::Date
                     : c.info->kind == FieldKind::Text ? Kind::ShortText
                                                       : Kind::Value;
        }
        for (const Column& before : m_columns)
            if (!c.field.isEmpty() && before.field == c.field) {
                *reason = QStringLiteral("die Spalten %1 und %2 sind beide %3")
                              .arg(quoted(before.heading), quoted(heading), quoted(c.field));
                return false;
            }
        m_columns << c;
    }
    // The two fields every flight is found by; the German heading named too where there is one.
    const std::pair<const char*, const char*> needed[] = {{"Date", " (oder \"Datum\")"}, {"Atd", ""}};
    // A plain loop variable: clang before 16 cannot capture a structured binding.
    for (const auto& need : needed) {
        const char* field = need.first;
        if (std::none_of(m_columns.cbegin(), m_columns.cend(),
                         [&](const Column& c) { return c.field == QLatin1String(field); })) {
            *reason = QStringLiteral("die Kopfzeile hat keine Spalte %1%2")
                          .arg(quoted(QString::fromLatin1(field)), QString::fromUtf8(need.second));
            return false;
        }
    }
    return true;
}

QStringList CsvColumns::recognised() const {
    QStringList r;
    for (const Column& c : m_columns)
        if (c.kind != Kind::Ignored) r << c.heading;
    return r;
}

QStringList CsvColumns::ignored() const {
    QStringList r;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const QString& heading = m_columns[i].heading;
        if (m_columns[i].kind != Kind::Ignored) continue;
        r << (heading.trimmed().isEmpty() ? QStringLiteral("Spalte %1 ohne Namen").arg(i + 1) : heading);
    }
    return r;
}

std::optional<FlightDraft> CsvColumns::draft(const QStringList& fields, QString* reason) const {
    if (fields.size() != m_columns.size()) {
        *reason = QStringLiteral("%1 Felder statt %2 wie in der Kopfzeile.")
                      .arg(fields.size())
                      .arg(m_columns.size());
        return std::nullopt;
    }
    FlightDraft d;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        const QString& text = fields[i];
        const QString value = text.trimmed();
        QString fault;
        switch (c.kind) {
            case Kind::Ignored:
                continue;
            case Kind::Date: {
                const std::optional<QDate> date = value.isEmpty() ? std::nullopt : readDate(value);
                const std::int64_t day = date ? dateToDayNumber(*date) : -1;
                if (value.isEmpty()) {
                    fault = QStringLiteral("fehlt.");
                } else if (day < 1) {
                    fault = QStringLiteral(
                        "ist kein gültiges Datum der Form TT.MM.JJJJ, TT.MM.JJ oder JJJJ-MM-TT.");
                } else {
                    d.record.Date = std::uint16_t(day);
                }
                break;
            }
            case Kind::Value: {
                // The departure is the flight's key: a missing one is not taken for midnight.
                if (value.isEmpty()) {
                    if (c.field == QLatin1String("Atd")) fault = QStringLiteral("fehlt.");
                    break;
                }
                std::uint32_t v = 0;
                fault = readValue(*c.info, value, &v);
                if (fault.isEmpty()) c.info->set(d.record, v);
                break;
            }
            case Kind::ShortText:
                shortText(d, *c.info) = text;
                fault = FlightDraft::nameFault(text);
                break;
            case Kind::Duty:
                d.duty[std::size_t(c.slot)] = text;
                fault = FlightDraft::nameFault(text);
                break;
            case Kind::Name:
                d.name[std::size_t(c.slot)] = text;
                fault = FlightDraft::nameFault(text);
                break;
            case Kind::Routing:
                d.routing = StringRecord::storedBreaks(text);
                fault = FlightDraft::textFault(d.routing);
                break;
            case Kind::Comment:
                d.comment = StringRecord::storedBreaks(text);
                fault = FlightDraft::textFault(d.comment);
                break;
        }
        if (fault.isEmpty()) continue;
        *reason = value.isEmpty() ? QStringLiteral("%1 %2").arg(c.heading, fault)
                                  : QStringLiteral("%1: %2 %3").arg(c.heading, quoted(text), fault);
        return std::nullopt;
    }
    return d;
}

QString CsvColumns::shown(const Column& column, const FlightDraft& draft) {
    switch (column.kind) {
        case Kind::Ignored:
            return {};
        case Kind::Date:
            return dayNumberToDate(draft.record.Date).toString(QStringLiteral("dd.MM.yyyy"));
        case Kind::Value:
            return CsvExport::valueText(*column.info, column.info->get(draft.record));
        case Kind::ShortText:
            return shortText(draft, *column.info);
        case Kind::Duty:
            return draft.duty[std::size_t(column.slot)];
        case Kind::Name:
            return draft.name[std::size_t(column.slot)];
        case Kind::Routing:
            return draft.routing;
        case Kind::Comment:
            return draft.comment;
    }
    return {};
}

}  // namespace velmarsk
