#include "extras/logbookpages.h"

#include <algorithm>

namespace velmarsk {

LogbookPages::LogbookPages(std::vector<Column> columns, std::vector<Row> rows, int linesPerPage,
                           std::vector<qint64> earlier)
    : m_columns(std::move(columns)), m_rows(std::move(rows)), m_linesPerPage(std::max(linesPerPage, 1)) {
    const std::size_t n = m_columns.size();
    std::vector<qint64> carried = std::move(earlier);
    carried.resize(n, 0);
    for (std::size_t c = 0; c < n; ++c)
        if (!m_columns[c].summed()) carried[c] = 0;
    for (int first = 0; first < rowCount();) {
        Page p;
        p.firstRow = first;
        int used = 0;
        for (int r = first; r < rowCount() && (r == first || used + rowLines(r) <= m_linesPerPage); ++r) {
            used += rowLines(r);
            ++p.rowCount;
        }
        p.pageSums.assign(n, 0);
        for (int r = first; r < first + p.rowCount; ++r) {
            const Row& row = m_rows[std::size_t(r)];
            for (std::size_t c = 0; c < n && c < row.numbers.size(); ++c)
                if (m_columns[c].summed()) p.pageSums[c] += row.numbers[c];
        }
        p.broughtForward = carried;
        for (std::size_t c = 0; c < n; ++c) carried[c] += p.pageSums[c];
        p.carriedForward = carried;
        first += p.rowCount;
        m_pages.push_back(std::move(p));
    }
}

int LogbookPages::rowLines(int row) const {
    return std::clamp(m_rows[std::size_t(row)].lines, 1, m_linesPerPage);
}

QString LogbookPages::timeText(qint64 minutes) {
    const QString sign = minutes < 0 ? QStringLiteral("-") : QString();
    const qint64 m = minutes < 0 ? -minutes : minutes;
    return sign + QString::number(m / 60) + QLatin1Char(':') +
           QString::number(m % 60).rightJustified(2, QLatin1Char('0'));
}

QString LogbookPages::cellText(int row, int column) const {
    const Row& r = m_rows[std::size_t(row)];
    const Column& c = m_columns[std::size_t(column)];
    if (c.kind == Kind::Text) return r.texts.value(column);
    const qint64 v = std::size_t(column) < r.numbers.size() ? r.numbers[std::size_t(column)] : 0;
    if (v == 0) return {};
    return c.kind == Kind::Time ? timeText(v) : QString::number(v);
}

QString LogbookPages::sumText(int column, qint64 value) const {
    const Column& c = m_columns[std::size_t(column)];
    if (c.kind == Kind::Text) return {};
    return c.kind == Kind::Time ? timeText(value) : QString::number(value);
}

}  // namespace velmarsk
