#pragma once

#include "extras/logbookpages.h"

#include <QFont>
#include <QString>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace velmarsk {

class FlightPass;

// Paints logbook pages: a heading with the range and the page number, the column titles, the rows
// of the page (crew and routing wrapped onto as many lines as they need, so no name is cut off), and the
// page's sums, the totals brought forward and the totals carried forward at the same place on every page.
// Landscape, on a printer or into a PDF file.
class LogbookPagePrinter {
public:
    // The columns of a flight, left to right.
    static std::vector<LogbookPages::Column> flightColumns();
    // The flights at the positions from..to, in date order, as rows of flightColumns().
    static std::vector<LogbookPages::Row> flightRows(const FlightPass& pass, int from, int to);
    // The sums of the flights at the positions from..to, per column of flightColumns(), counted as
    // the pages count their rows: the totals to bring forward from the flights before a range.
    static std::vector<qint64> flightTotals(const FlightPass& pass, int from, int to);

    // What the flight time column counts, printed under the sums of every page: the same word
    // means other sums elsewhere in the program.
    static QString flightTimeNote();

    explicit LogbookPagePrinter(QString heading);

    // Lines that fit one page of the device (at least one); a row takes one line for each line of
    // its crew or routing as they wrap in their columns.
    int linesPerPage(QPagedPaintDevice& device) const;
    // Cuts the rows into pages for the device and paints them, page 1 starting from the totals
    // `earlier` (none: 0). False with the reason in error() when the device cannot be painted on
    // (a file that cannot be written, a printer that fails).
    bool print(QPagedPaintDevice& device, std::vector<LogbookPages::Row> rows,
               std::vector<qint64> earlier = {});
    QString error() const { return m_error; }
    int printedPages() const { return m_printedPages; }

private:
    struct Metrics;
    Metrics metricsFor(QPagedPaintDevice& device) const;
    void paintPage(QPainter& painter, const Metrics& m, const LogbookPages& pages, int index) const;

    QString m_heading;
    QFont m_font;
    QString m_error;
    int m_printedPages = 0;
};

}  // namespace velmarsk
