#include "extras/chartlayout.h"

#include "controls/tdistime.h"

#include <algorithm>

namespace velmarsk {
namespace {

const char* const kQuarters[4] = {"I / ", "II / ", "III / ", "IV / "};
const char* const kMonths[12] = {"Jan ", "Feb ", "M\u00e4rz ", "Apr ", "Mai ", "Jun ",
                                 "Jul ", "Aug ", "Sep ",       "Okt ", "Nov ", "Dez "};

// A divisor that cannot be zero however small the window or the step.
int atLeastOne(int value) {
    return std::max(value, 1);
}

}  // namespace

ChartLayout::ChartLayout(const ChartData& data, QSize client, const Metrics& metrics)
    : m_w(client.width()), m_h(client.height()) {
    if (!canDraw(data)) return;
    m_valid = true;
    m_n = data.valueCount();

    std::vector<QStringList> blocks;
    for (int s = 1; s <= data.seriesCount(); ++s) {
        blocks.push_back(data.lines(s));
        const QStringList& lines = blocks.back();
        Series series;
        series.caption = lines.value(0);
        series.colour = lines.value(1).toUInt();
        series.isTime = lines.value(2) == QLatin1String("1");
        m_series.push_back(std::move(series));
    }
    // The plot ends 35 pixels before the legend, however wide the legend has to be.
    m_legendLeft = placeLegend(metrics);
    m_dx = atLeastOne((m_legendLeft - 35) / (m_n - 1));
    m_xEnd = kLeft + (m_n - 1) * m_dx;
    m_ys = (m_h - 90) / 10;
    m_y0 = m_h - 40;

    const QString titleText = data.title();
    // The title over the plot, never starting outside the window; with more legend columns the
    // heading stands over the last one, which leaves the title the room over the others.
    m_title = {titleText, QPoint(std::max(0, (m_legendLeft - metrics.titleWidth(titleText)) / 2), 10)};
    m_legendTitle = {QStringLiteral("Legende"), QPoint(m_w - m_legendColumnWidth + 10, 15)};

    const QChar mode = data.modeLetter();
    const int startYear = data.startYear();
    axisTicks(mode, startYear, metrics);

    for (std::size_t s = 0; s < m_series.size(); ++s) {
        Series& series = m_series[s];
        const QStringList& lines = blocks[s];
        std::vector<qint64> values;
        for (int j = 0; j < m_n; ++j) values.push_back(lines.value(3 + j).toLongLong());
        series.maximum = std::max<qint64>(*std::max_element(values.begin(), values.end()), 1);
        for (int j = 0; j < m_n; ++j) {
            const QPoint p(xOf(j), yOf(values[std::size_t(j)], series.maximum));
            series.points.push_back(p);
            const QString valueText = series.isTime
                                          ? TDisTime::formatMinutes(quint32(values[std::size_t(j)]), true)
                                          : lines.value(3 + j);
            series.markers.push_back({p - QPoint(2, 2), hintTitle(mode, startYear, j, series.caption) +
                                                            QStringLiteral("  ") + valueText});
        }
    }
}

int ChartLayout::placeLegend(const Metrics& metrics) {
    const int h = metrics.textHeight;
    const int indent = kSwatchSize + kSwatchGap;
    // A word is never broken: the column grows to the widest word instead.
    int textWidth = kLegendWidth - indent - kLegendMargin;
    std::vector<QStringList> words;
    for (const Series& s : m_series) {
        words.push_back(s.caption.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        for (const QString& word : words.back()) textWidth = std::max(textWidth, metrics.textWidth(word));
    }
    const int columnWidth = textWidth + indent + kLegendMargin;

    std::vector<QStringList> wrapped;
    for (const QStringList& caption : words) {
        QStringList lines;
        QString line;
        for (const QString& word : caption) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.textWidth(longer) > textWidth) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
        wrapped.push_back(lines);
    }

    // The first entry where a one-line legend has always had it; a column ends at the baseline of
    // the plot, above the year labels (the last one reaches under the legend), and the next column
    // begins at the top again.
    const int top = 40 + h;
    const int bottom = m_h - 40;
    std::vector<QPoint> places;  // column, y
    int column = 0;
    int y = top;
    for (const QStringList& lines : wrapped) {
        const int height = int(lines.size()) * h;
        if (y > top && y + height > bottom) {
            ++column;
            y = top;
        }
        places.emplace_back(column, y);
        y += height;
    }
    m_legendColumns = column + 1;
    m_legendColumnWidth = columnWidth;
    const int left = m_w - m_legendColumns * columnWidth;
    for (std::size_t s = 0; s < m_series.size(); ++s) {
        Series& series = m_series[s];
        series.legend = QPoint(left + places[s].x() * columnWidth, places[s].y());
        series.swatch =
            QRect(series.legend.x(), series.legend.y() + (h - kSwatchSize) / 2, kSwatchSize, kSwatchSize);
        for (int k = 0; k < int(wrapped[s].size()); ++k)
            series.legendLines.push_back(
                {wrapped[s][k], QPoint(series.legend.x() + indent, series.legend.y() + k * h)});
    }
    return left;
}

int ChartLayout::yOf(qint64 value, qint64 maximum) const {
    return int(m_y0 - ((value * (m_h - 90)) / maximum) * 9 / 10);
}

std::vector<int> ChartLayout::gridYs() const {
    std::vector<int> ys;
    for (int k = 0; k <= 10; ++k) ys.push_back(m_y0 - k * m_ys);
    return ys;
}

void ChartLayout::axisTicks(QChar mode, int startYear, const Metrics& metrics) {
    auto label = [&](int i, int year, int every) {
        const QString text = QString::number(year);
        const int w = metrics.textWidth(text);
        // Labels are thinned out so that they do not run into each other.
        const int step =
            every == 1 ? w / atLeastOne(m_dx - 1) + 1 : (w / atLeastOne(every * m_dx) + 1) * every;
        if (i % step == 0) m_labels.push_back({text, QPoint(xOf(i) - w / 2, m_y0 + 10)});
    };
    for (int i = 0; i < m_n; ++i) {
        if (mode == QLatin1Char('Q')) {
            m_ticks.push_back({xOf(i), i % 4 == 0 ? 10 : 5});
            if (i % 4 == 0) label(i, startYear + i / 4, 4);
        } else if (mode == QLatin1Char('M')) {
            m_ticks.push_back({xOf(i), i % 12 == 0 ? 10 : i % 3 == 0 ? 7 : 5});
            if (i % 12 == 0) label(i, startYear + i / 12, 12);
        } else {
            m_ticks.push_back({xOf(i), 5});
            label(i, startYear + i, 1);
        }
    }
}

QString ChartLayout::hintTitle(QChar mode, int startYear, int j, const QString& caption) {
    if (mode == QLatin1Char('Q'))
        return QString::fromUtf8(kQuarters[j % 4]) + QString::number(startYear + j / 4) +
               QStringLiteral("  ") + caption;
    if (mode == QLatin1Char('M'))
        return QString::fromUtf8(kMonths[j % 12]) + QString::number(startYear + j / 12) +
               QStringLiteral("  ") + caption;
    return QString::number(startYear + j) + QStringLiteral("   ") + caption;
}

}  // namespace velmarsk
