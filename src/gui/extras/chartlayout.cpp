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
    m_dx = (m_w - 135) / (m_n - 1);
    m_xEnd = kLeft + (m_n - 1) * m_dx;
    m_ys = (m_h - 90) / 10;
    m_y0 = m_h - 40;

    const QString titleText = data.title();
    m_title = {titleText, QPoint(((m_w - 100) - metrics.titleWidth(titleText)) / 2, 10)};
    m_legendTitle = {QStringLiteral("Legende"), QPoint(m_w - 90, 15)};

    const QChar mode = data.modeLetter();
    const int startYear = data.startYear();
    axisTicks(mode, startYear, metrics);

    for (int s = 1; s <= data.seriesCount(); ++s) {
        const QStringList lines = data.lines(s);
        Series series;
        series.caption = lines.value(0);
        series.colour = lines.value(1).toUInt();
        series.isTime = lines.value(2) == QLatin1String("1");
        series.legend = QPoint(m_w - 100, 40 + s * metrics.textHeight);
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
        m_series.push_back(std::move(series));
    }
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
