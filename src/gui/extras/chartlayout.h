#pragma once

#include "evaluation/chartdata.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

namespace velmarsk {

// Where every line, text and marker of a chart goes in a client area of a given size: the numbers
// the chart window paints from, apart from the painting itself. All divisions truncate.
class ChartLayout {
public:
    // Text measures in the window font, the title font (twice its height) and the window font's
    // height of "T".
    struct Metrics {
        std::function<int(const QString&)> textWidth;
        std::function<int(const QString&)> titleWidth;
        int textHeight = 0;
    };

    struct Tick {
        int x;
        int length;
    };
    struct Text {
        QString text;
        QPoint at;  // top left
    };
    struct Marker {
        QPoint at;  // top left of the 5-pixel square
        QString hint;
    };
    struct Series {
        QString caption;
        quint32 colour = 0;
        bool isTime = false;
        qint64 maximum = 1;
        QPoint legend;                  // top left of the legend entry
        QRect swatch;                   // the square in the series colour
        std::vector<Text> legendLines;  // the caption, wrapped to the legend column
        std::vector<QPoint> points;     // value j at index j
        std::vector<Marker> markers;
    };

    static constexpr int kLeft = 30;
    static constexpr int kMarkerSize = 5;
    // The legend: columns of this width at the right edge, more of them (and a narrower plot) when
    // the entries do not fit one below the other; a caption wider than its column takes more lines.
    static constexpr int kLegendWidth = 100;
    static constexpr int kSwatchSize = 9;
    static constexpr int kSwatchGap = 4;
    static constexpr int kLegendMargin = 4;

    // False when the data has fewer than two values or no series: there is no horizontal step then.
    static bool canDraw(const ChartData& data) { return data.seriesCount() > 0 && data.valueCount() >= 2; }

    ChartLayout() = default;
    ChartLayout(const ChartData& data, QSize client, const Metrics& metrics);

    bool isValid() const { return m_valid; }
    int width() const { return m_w; }
    int height() const { return m_h; }
    int valueCount() const { return m_n; }
    int dx() const { return m_dx; }
    int xEnd() const { return m_xEnd; }
    int ys() const { return m_ys; }
    int y0() const { return m_y0; }
    int top() const { return m_y0 - 10 * m_ys; }
    int xOf(int j) const { return kLeft + j * m_dx; }
    int yOf(qint64 value, qint64 maximum) const;

    const Text& title() const { return m_title; }
    const Text& legendTitle() const { return m_legendTitle; }
    // Left edge of the legend, the number of its columns and their width.
    int legendLeft() const { return m_legendLeft; }
    int legendColumns() const { return m_legendColumns; }
    int legendColumnWidth() const { return m_legendColumnWidth; }
    const std::vector<Tick>& ticks() const { return m_ticks; }
    const std::vector<Text>& labels() const { return m_labels; }
    // y of the grid steps k = 0 ... 10, from the baseline up.
    std::vector<int> gridYs() const;
    const std::vector<Series>& series() const { return m_series; }

    // The text a marker's hint begins with: the period and the caption.
    static QString hintTitle(QChar mode, int startYear, int j, const QString& caption);

private:
    void axisTicks(QChar mode, int startYear, const Metrics& metrics);
    // Places every series' legend entry and returns the left edge of the legend.
    int placeLegend(const Metrics& metrics);

    bool m_valid = false;
    int m_w = 0;
    int m_h = 0;
    int m_n = 0;
    int m_dx = 0;
    int m_xEnd = 0;
    int m_ys = 0;
    int m_y0 = 0;
    int m_legendLeft = 0;
    int m_legendColumns = 0;
    int m_legendColumnWidth = 0;
    Text m_title;
    Text m_legendTitle;
    std::vector<Tick> m_ticks;
    std::vector<Text> m_labels;
    std::vector<Series> m_series;
};

}  // namespace velmarsk
