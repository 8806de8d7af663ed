#include "extras/logbookpageprinter.h"

#include "controls/fonts.h"
#include "controls/subs.h"
#include "dates/daynumber.h"
#include "flightbook/flightbook.h"
#include "storage/flightpass.h"
#include "storage/nametable.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

namespace velmarsk {
namespace {

using Kind = LogbookPages::Kind;

// Text columns first, so the captions of the sum rows have room beneath them.
enum Col {
    kDate,
    kAircraft,
    kRegistration,
    kCallsign,
    kCrew,
    kRouting,
    kAtd,
    kAta,
    kFlightTime,
    kLf1,
    kLf2,
    kIp,
    kVfrDay,
    kVfrNite,
    kIfr,
    kSim,
    kLandDay,
    kLandNite,
    kColumns
};

QString clockText(int minutes) {
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// The first line of a text.
QString firstLine(const QString& text) {
    const qsizetype end = text.indexOf(QLatin1Char('\r')) >= 0 ? text.indexOf(QLatin1Char('\r'))
                                                               : text.indexOf(QLatin1Char('\n'));
    return end < 0 ? text : text.left(end);
}

// The figures of a flight, per column (0 in the text columns): the rows and the totals brought
// forward count alike.
std::vector<qint64> flightNumbers(const FlightRecord& r) {
    std::vector<qint64> n(kColumns, 0);
    // The flight time as the running total counts it: simulator time has its own column.
    n[kFlightTime] = FlightBook::countedMinutes(r);
    n[kLf1] = r.Lf1;
    n[kLf2] = r.Lf2;
    n[kIp] = r.Ip;
    n[kVfrDay] = r.VfrDay;
    n[kVfrNite] = r.VfrNite;
    n[kIfr] = r.IfrGesDay + r.IfrGesNite;
    n[kSim] = r.SimDay + r.SimNite;
    n[kLandDay] = r.LandDay;
    n[kLandNite] = r.LandNite;
    return n;
}

const QString kCrewSeparator = QStringLiteral(", ");

// The texts that wrap onto more lines of their row, and where they may break: the crew between two
// of its members, so a duty stays with its name, the routing between its places.
const std::pair<int, QString> kWrapped[] = {{kCrew, kCrewSeparator}, {kRouting, QStringLiteral(" ")}};

// The text as lines no wider than width, broken after a separator; a part wider than the column by
// itself is broken where the column ends. At least one line.
QStringList wrapText(const QString& text, const QString& separator, const QFontMetrics& fm, int width) {
    QStringList lines;
    QString line;
    const QStringList parts = text.split(separator);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part = i + 1 < parts.size() ? parts[i] + separator : parts[i];
        if (!line.isEmpty() && fm.horizontalAdvance(QString(line + part).trimmed()) > width) {
            lines << line.trimmed();
            line.clear();
        }
        line += part;
        while (line.trimmed().size() > 1 && fm.horizontalAdvance(line.trimmed()) > width) {
            qsizetype fits = line.size() - 1;
            while (fits > 1 && fm.horizontalAdvance(line.left(fits).trimmed()) > width) --fits;
            lines << line.left(fits).trimmed();
            line = line.mid(fits);
        }
    }
    if (lines.isEmpty() || !line.trimmed().isEmpty()) lines << line.trimmed();
    return lines;
}

const char* const kSumCaptions[3] = {"Summe dieser Seite", "\u00dcbertrag", "Gesamt"};

}  // namespace

struct LogbookPagePrinter::Metrics {
    int width = 0;
    int rowHeight = 0;
    int headingHeight = 0;
    int headerHeight = 0;
    int pad = 0;
    int linesPerPage = 1;
    std::vector<int> left;  // per column
    std::vector<int> widths;
    int rowsTop() const { return headingHeight + headerHeight; }
    int sumsTop() const { return rowsTop() + linesPerPage * rowHeight + rowHeight / 2; }
};

std::vector<LogbookPages::Column> LogbookPagePrinter::flightColumns() {
    return {
        {QStringLiteral("Datum"), Kind::Text, 8},      {QStringLiteral("Muster"), Kind::Text, 7},
        {QStringLiteral("Kennz."), Kind::Text, 7},     {QStringLiteral("Rufz."), Kind::Text, 7},
        {QStringLiteral("Besatzung"), Kind::Text, 20}, {QStringLiteral("Strecke"), Kind::Text, 18},
        {QStringLiteral("ATD"), Kind::Text, 5},        {QStringLiteral("ATA"), Kind::Text, 5},
        {QStringLiteral("Flugzeit"), Kind::Time, 7},   {QStringLiteral("1.LF"), Kind::Time, 7},
        {QStringLiteral("2.LF"), Kind::Time, 7},       {QStringLiteral("IP"), Kind::Time, 7},
        {QStringLiteral("VFR Tag"), Kind::Time, 7},    {QStringLiteral("VFR Nacht"), Kind::Time, 8},
        {QStringLiteral("IFR"), Kind::Time, 7},        {QStringLiteral("Sim."), Kind::Time, 7},
        {QStringLiteral("Ldg. Tag"), Kind::Number, 7}, {QStringLiteral("Ldg. Nacht"), Kind::Number, 8},
    };
}

std::vector<LogbookPages::Row> LogbookPagePrinter::flightRows(const FlightPass& pass, int from, int to) {
    std::vector<LogbookPages::Row> rows;
    const NameTable& names = pass.names();
    FlightRecord r;
    StringRecord texts;
    for (int p = std::max(from, 1); p <= std::min(to, pass.FlightCount()); ++p) {
        if (!pass.ReadFlight(p, r)) continue;
        LogbookPages::Row row;
        row.texts.resize(kColumns);
        row.numbers = flightNumbers(r);
        row.texts[kDate] = DateText(dayNumberToDate(r.Date));
        row.texts[kAircraft] = names.NameAt(r.Aircraft);
        row.texts[kRegistration] = names.NameAt(r.Registration);
        row.texts[kCallsign] = names.NameAt(r.Callsign);
        QStringList crew;
        const int count = crewCountOf(r, [&](NameRef ref) { return names.NameAt(ref); });
        for (int k = 0; k < count; ++k)
            crew << QString(names.NameAt(r.Duty[std::size_t(k)]) + QLatin1Char(' ') +
                            names.NameAt(r.Name[std::size_t(k)]))
                        .trimmed();
        row.texts[kCrew] = crew.join(kCrewSeparator);
        // Only the routing: a comment may be protected and has no place on a page others read.
        if (pass.ReadStringRecord(p, texts)) row.texts[kRouting] = firstLine(texts.Routing);
        row.texts[kAtd] = clockText(r.Atd);
        row.texts[kAta] = clockText(r.Ata);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<qint64> LogbookPagePrinter::flightTotals(const FlightPass& pass, int from, int to) {
    std::vector<qint64> sums(kColumns, 0);
    FlightRecord r;
    for (int p = std::max(from, 1); p <= std::min(to, pass.FlightCount()); ++p) {
        if (!pass.ReadFlight(p, r)) continue;
        const std::vector<qint64> numbers = flightNumbers(r);
        for (std::size_t c = 0; c < sums.size(); ++c) sums[c] += numbers[c];
    }
    return sums;
}

QString LogbookPagePrinter::flightTimeNote() {
    return QStringLiteral(
        "Flugzeit: ATE aller Fl\u00fcge au\u00dfer Fl\u00fcgen mit Simulatorzeit (deren Zeit steht unter "
        "\u201eSim.\u201c), gez\u00e4hlt wie \u201eGesamt\u201c im Hauptfenster; nicht \u201eGesamt\u201c "
        "unter Auswerten | Summe (VFR + IFR + 2. Zeit).");
}

LogbookPagePrinter::LogbookPagePrinter(QString heading) : m_heading(std::move(heading)) {
    m_font = mappedFont(QStringLiteral("Arial"), 7);
}

LogbookPagePrinter::Metrics LogbookPagePrinter::metricsFor(QPagedPaintDevice& device) const {
    const QFontMetrics fm(m_font, &device);
    Metrics m;
    m.width = device.width();
    m.rowHeight = fm.height() + fm.height() / 3;
    m.headingHeight = 2 * m.rowHeight;
    m.headerHeight = m.rowHeight + m.rowHeight / 4;
    m.pad = std::max(1, fm.horizontalAdvance(QLatin1Char(' ')) / 2);
    // Below the rows: the three sums and the note on the flight time.
    const int fixed = m.rowsTop() + m.rowHeight / 2 + 4 * m.rowHeight;
    m.linesPerPage = std::max(1, (device.height() - fixed) / std::max(1, m.rowHeight));
    int weights = 0;
    for (const auto& c : flightColumns()) weights += c.weight;
    int x = 0;
    for (const auto& c : flightColumns()) {
        m.left.push_back(x);
        const int w = int(qint64(m.width) * c.weight / weights);
        m.widths.push_back(w);
        x += w;
    }
    return m;
}

int LogbookPagePrinter::linesPerPage(QPagedPaintDevice& device) const {
    return metricsFor(device).linesPerPage;
}

bool LogbookPagePrinter::print(QPagedPaintDevice& device, std::vector<LogbookPages::Row> rows,
                               std::vector<qint64> earlier) {
    m_printedPages = 0;
    const Metrics m = metricsFor(device);
    const QFontMetrics fm(m_font, &device);
    for (LogbookPages::Row& row : rows) {
        row.lines = 1;
        if (row.texts.size() < kColumns) row.texts.resize(kColumns);
        for (const auto& [column, separator] : kWrapped) {
            QStringList lines =
                wrapText(row.texts.value(column), separator, fm, m.widths[std::size_t(column)] - 2 * m.pad);
            // Never more than a page holds: the rest is cut off visibly.
            if (lines.size() > m.linesPerPage) {
                lines.resize(m.linesPerPage);
                lines.last() += QChar(0x2026);
            }
            row.texts[column] = lines.join(QLatin1Char('\n'));
            row.lines = std::max(row.lines, int(lines.size()));
        }
    }
    const LogbookPages pages(flightColumns(), std::move(rows), m.linesPerPage, std::move(earlier));
    QPainter painter;
    if (!painter.begin(&device)) {
        m_error = QStringLiteral("Die Seiten k\u00f6nnen nicht ausgegeben werden.");
        return false;
    }
    for (int i = 0; i < pages.pageCount(); ++i) {
        if (i > 0 && !device.newPage()) {
            m_error = QStringLiteral("Die Seiten k\u00f6nnen nicht ausgegeben werden.");
            return false;
        }
        paintPage(painter, m, pages, i);
        ++m_printedPages;
    }
    painter.end();
    m_error.clear();
    return true;
}

void LogbookPagePrinter::paintPage(QPainter& painter, const Metrics& m, const LogbookPages& pages,
                                   int index) const {
    const auto& columns = pages.columns();
    const LogbookPages::Page& page = pages.page(index);
    QFont bold = m_font;
    bold.setBold(true);
    QFont heading = bold;
    heading.setPointSizeF(m_font.pointSizeF() * 1.5);
    const QFontMetrics fm(m_font, painter.device());
    const QPen line(Qt::black, 0);
    const QPen grid(QColor(160, 160, 160), 0);

    painter.setFont(heading);
    painter.drawText(QRect(0, 0, m.width, m.headingHeight), Qt::AlignLeft | Qt::AlignVCenter, m_heading);
    painter.setFont(m_font);
    painter.drawText(QRect(0, 0, m.width, m.headingHeight), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Seite %1 von %2").arg(index + 1).arg(pages.pageCount()));

    // A wrapped text gives one line of the row for each of its lines.
    auto cell = [&](int column, int top, int height, const QString& text) {
        const bool right = columns[std::size_t(column)].kind != LogbookPages::Kind::Text;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QRect r(m.left[std::size_t(column)] + m.pad, top + int(i) * height,
                          m.widths[std::size_t(column)] - 2 * m.pad, height);
            painter.drawText(r, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             fm.elidedText(lines[i], Qt::ElideRight, r.width()));
        }
    };

    painter.setFont(bold);
    for (int c = 0; c < int(columns.size()); ++c)
        cell(c, m.headingHeight, m.headerHeight, columns[std::size_t(c)].title);
    painter.setFont(m_font);

    // Where each row of the page begins, in lines; the lines left over stay empty rows of one line.
    std::vector<int> rowLine{0};
    for (int r = 0; r < page.rowCount; ++r)
        rowLine.push_back(rowLine.back() + pages.rowLines(page.firstRow + r));
    for (int l = rowLine.back() + 1; l <= m.linesPerPage; ++l) rowLine.push_back(l);
    const int rowsBottom = m.rowsTop() + m.linesPerPage * m.rowHeight;
    painter.setPen(grid);
    for (std::size_t r = 1; r + 1 < rowLine.size(); ++r)
        painter.drawLine(0, m.rowsTop() + rowLine[r] * m.rowHeight, m.width,
                         m.rowsTop() + rowLine[r] * m.rowHeight);
    for (std::size_t c = 1; c < columns.size(); ++c)
        painter.drawLine(m.left[c], m.headingHeight, m.left[c], rowsBottom);
    painter.setPen(line);
    painter.drawLine(0, m.rowsTop(), m.width, m.rowsTop());
    painter.drawLine(0, rowsBottom, m.width, rowsBottom);

    for (int r = 0; r < page.rowCount; ++r)
        for (int c = 0; c < int(columns.size()); ++c)
            cell(c, m.rowsTop() + rowLine[std::size_t(r)] * m.rowHeight, m.rowHeight,
                 pages.cellText(page.firstRow + r, c));

    // The sums stand at the same place on every page, however full it is.
    const std::vector<qint64>* sums[3] = {&page.pageSums, &page.broughtForward, &page.carriedForward};
    const int firstSummed =
        int(std::find_if(columns.begin(), columns.end(), [](const auto& c) { return c.summed(); }) -
            columns.begin());
    for (int k = 0; k < 3; ++k) {
        const int top = m.sumsTop() + k * m.rowHeight;
        painter.setFont(k == 2 ? bold : m_font);
        painter.drawText(QRect(m.pad, top, m.left[std::size_t(firstSummed)] - 2 * m.pad, m.rowHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QString::fromUtf8(kSumCaptions[k]));
        for (int c = firstSummed; c < int(columns.size()); ++c)
            if (columns[std::size_t(c)].summed())
                cell(c, top, m.rowHeight, pages.sumText(c, (*sums[k])[std::size_t(c)]));
    }
    painter.drawLine(m.left[std::size_t(firstSummed)], m.sumsTop() + 2 * m.rowHeight, m.width,
                     m.sumsTop() + 2 * m.rowHeight);
    painter.setFont(m_font);
    const QRect note(m.pad, m.sumsTop() + 3 * m.rowHeight, m.width - 2 * m.pad, m.rowHeight);
    painter.drawText(note, Qt::AlignLeft | Qt::AlignVCenter,
                     fm.elidedText(flightTimeNote(), Qt::ElideRight, note.width()));
}

}  // namespace velmarsk
