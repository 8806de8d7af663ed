#include "exchange/csvexport.h"

#include "dates/daynumber.h"
#include "storage/flightpass.h"
#include "storage/nametable.h"
#include "storage/savefile.h"
#include "storage/scramble.h"

namespace velmarsk {
namespace {

// The record's scalar fields in record order, without the texts, which come first by name.
bool isValueColumn(const FieldInfo& f) {
    return f.kind != FieldKind::Text && f.kind != FieldKind::Day;
}

}  // namespace

QString CsvExport::valueText(const FieldInfo& f, std::uint32_t v) {
    if (f.kind == FieldKind::Time)
        return QStringLiteral("%1:%2").arg(v / 60).arg(v % 60, 2, 10, QLatin1Char('0'));
    return QString::number(v);
}

QStringList CsvExport::columns() {
    QStringList c{QStringLiteral("Date")};
    for (int k = 1; k <= kCrewSlots; ++k)
        c << QStringLiteral("Duty%1").arg(k) << QStringLiteral("Name%1").arg(k);
    c << QStringLiteral("Aircraft") << QStringLiteral("Callsign") << QStringLiteral("Registration")
      << QStringLiteral("Tctp");
    for (const FieldInfo& f : flightFields())
        if (isValueColumn(f)) c << QString::fromLatin1(f.name);
    c << QStringLiteral("Routing") << QStringLiteral("Comment");
    return c;
}

QString CsvExport::quoted(const QString& field) {
    static const QString special = QStringLiteral(";\"\r\n");
    bool needs = false;
    for (QChar ch : field) needs = needs || special.contains(ch);
    if (!needs) return field;
    QString q = field;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QByteArray CsvExport::build(const FlightPass& pass, std::uint16_t from, std::uint16_t to,
                            bool revealProtected, int* count) {
    const NameTable& names = pass.names();
    QString out;
    out += columns().join(QLatin1Char(';')) + QStringLiteral("\r\n");
    int rows = 0;
    FlightRecord r;
    StringRecord texts;
    QStringList row;
    for (int p = 1; p <= pass.FlightCount(); ++p) {
        const std::uint16_t date = pass.DateAt(p);
        if (date < from || date > to) continue;
        if (!pass.ReadFlight(p, r)) continue;
        pass.ReadStringRecord(p, texts);  // a record that cannot be read gives empty texts
        row.clear();
        row << dayNumberToDate(r.Date).toString(QStringLiteral("dd.MM.yyyy"));
        for (std::size_t k = 0; k < kCrewSlots; ++k)
            row << names.NameAt(r.Duty[k]) << names.NameAt(r.Name[k]);
        row << names.NameAt(r.Aircraft) << names.NameAt(r.Callsign) << names.NameAt(r.Registration)
            << names.NameAt(r.Tctp);
        for (const FieldInfo& f : flightFields())
            if (isValueColumn(f)) row << valueText(f, f.get(r));
        row << texts.Routing;
        row << (!r.commentProtected() ? texts.Comment
                : revealProtected     ? UnscrambleText(texts.Comment)
                                      : QString());
        for (QString& field : row) field = quoted(field);
        out += row.join(QLatin1Char(';')) + QStringLiteral("\r\n");
        ++rows;
    }
    if (count) *count = rows;
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

bool CsvExport::write(const QString& path, const QByteArray& csv, QString* error) {
    return saveFileAtomically(path, csv, error);
}

}  // namespace velmarsk
