#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace velmarsk {

// The flights of a range cut into pages as a paper logbook has them: a fixed number of lines per
// page, a row taking one line or, when its texts are wrapped, several, and under each page the sums of that
// page, the totals brought forward from the pages before and the totals to carry forward to the next. Works
// on plain rows, so it knows nothing of the logbook files.
class LogbookPages {
public:
    enum class Kind { Text, Time, Number };  // Number: a count of procedures or landings
    struct Column {
        QString title;
        Kind kind;
        int weight;  // share of the page width, in characters
        bool summed() const { return kind != Kind::Text; }
    };
    // One flight: a text for every text column, a number for every other one (in column order;
    // the entries of the other kind are ignored), and the lines of the page it takes.
    struct Row {
        QStringList texts;
        std::vector<qint64> numbers;
        int lines = 1;
    };
    struct Page {
        int firstRow = 0;
        int rowCount = 0;
        std::vector<qint64> pageSums;        // per column; 0 for text columns
        std::vector<qint64> broughtForward;  // totals before this page (earlier pages and earlier flights)
        std::vector<qint64> carriedForward;  // brought forward + this page
    };

    // earlier: the totals of the flights before the first row, brought forward onto page 1 (per
    // column; missing entries count 0), so the pages continue a paper logbook.
    // A page takes whole rows up to linesPerPage lines, and at least one row.
    LogbookPages(std::vector<Column> columns, std::vector<Row> rows, int linesPerPage,
                 std::vector<qint64> earlier = {});

    const std::vector<Column>& columns() const { return m_columns; }
    int rowCount() const { return int(m_rows.size()); }
    int linesPerPage() const { return m_linesPerPage; }
    // The lines a row takes, from 1 to linesPerPage.
    int rowLines(int row) const;
    int pageCount() const { return int(m_pages.size()); }
    const Page& page(int index) const { return m_pages[std::size_t(index)]; }

    // The text of a cell: the row's text, a time as hours and minutes, a count; an empty time or
    // count shows nothing, so that the figures stand out.
    QString cellText(int row, int column) const;
    // A sum as the sum rows show it (0 included).
    QString sumText(int column, qint64 value) const;
    static QString timeText(qint64 minutes);

private:
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    int m_linesPerPage;
    std::vector<Page> m_pages;
};

}  // namespace velmarsk
