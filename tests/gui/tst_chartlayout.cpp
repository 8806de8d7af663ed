// Where the chart window puts its axes, labels, lines and markers, for client sizes and data of
// the kinds the window meets; text widths are fixed so that the numbers do not depend on a font.
#include "evaluation/chartdata.h"
#include "extras/chartlayout.h"

#include <QtTest>

using namespace velmarsk;

namespace {

struct SeriesSpec {
    QString caption;
    quint32 colour;
    int kind;
    QList<qint64> values;
};

ChartData chart(QChar mode, int startYear, const QList<SeriesSpec>& series) {
    ChartData d;
    d.blocks << ChartData::block({QStringLiteral("Titel"), QString(mode), QString::number(startYear)});
    for (const SeriesSpec& s : series) {
        QStringList lines{s.caption, QString::number(s.colour), QString::number(s.kind)};
        for (qint64 v : s.values) lines << QString::number(v);
        d.blocks << ChartData::block(lines);
    }
    return d;
}

}  // namespace

Q_DECLARE_METATYPE(QList<SeriesSpec>)

namespace {

QList<qint64> zeros(int n) {
    return QList<qint64>(n, 0);
}

// Every text 7 pixels a character (a year 28), titles 10, lines 13 high.
ChartLayout::Metrics fixedMetrics() {
    return {[](const QString& s) { return int(s.size()) * 7; },
            [](const QString& s) { return int(s.size()) * 10; }, 13};
}

ChartLayout layout(const ChartData& d, int w, int h) {
    return ChartLayout(d, QSize(w, h), fixedMetrics());
}

}  // namespace

class TestChartLayout : public QObject {
    Q_OBJECT

private slots:
    void plotArea_data();
    void plotArea();
    void valuesAreScaledToTheirSeriesMaximum();
    void yearlyLabelsAreThinnedWhileEveryValueGetsATick();
    void monthlyTicksMarkQuartersAndYears();
    void hintsTellPeriodCategoryAndValue();
    void titleAndLegendPlaces();
    void legendIsNeverCut_data();
    void legendIsNeverCut();
    void aSingleValueCannotBeDrawn();
};

void TestChartLayout::plotArea_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("xEnd");
    QTest::addColumn<int>("ys");
    QTest::addColumn<int>("y0");
    QTest::addColumn<int>("top");
    QTest::newRow("initial size, 12 values") << 592 << 339 << 12 << 41 << 481 << 24 << 299 << 59;
    QTest::newRow("smallest size, 67 values") << 400 << 300 << 67 << 4 << 294 << 21 << 260 << 50;
    QTest::newRow("two values") << 800 << 600 << 2 << 665 << 695 << 51 << 560 << 50;
}

void TestChartLayout::plotArea() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, n);
    const ChartLayout l =
        layout(chart(QLatin1Char('M'), 2000, {{QStringLiteral("A"), 0, 2, zeros(n)}}), w, h);
    QVERIFY(l.isValid());
    QTEST(l.dx(), "dx");
    QTEST(l.xEnd(), "xEnd");
    QTEST(l.ys(), "ys");
    QTEST(l.y0(), "y0");
    QTEST(l.top(), "top");
    QCOMPARE(int(l.ticks().size()), n);
    QCOMPARE(l.ticks().back().x, l.xEnd());
    const std::vector<int> grid = l.gridYs();
    QCOMPARE(grid.front(), l.y0());
    QCOMPARE(grid.back(), l.top());
}

void TestChartLayout::valuesAreScaledToTheirSeriesMaximum() {
    const ChartLayout l = layout(chart(QLatin1Char('J'), 2000,
                                       {{QStringLiteral("A"), 0, 2, {0, 50, 100}},
                                        {QStringLiteral("B"), 255, 1, {0, 0, 0}},
                                        {QStringLiteral("C"), 0, 2, {7, 3, 7}}}),
                                 592, 340);
    const auto& a = l.series()[0];
    QCOMPARE(a.maximum, qint64(100));
    QCOMPARE(a.points[0], QPoint(30, 300));
    QCOMPARE(a.points[1].y(), 300 - 1125 / 10);
    QCOMPARE(a.points[2], QPoint(l.xEnd(), 75));
    // All zero: the maximum is taken as 1 and the line lies on the baseline.
    const auto& b = l.series()[1];
    QCOMPARE(b.maximum, qint64(1));
    for (const QPoint& p : b.points) QCOMPARE(p.y(), 300);
    // Each series reaches the same height with its own largest value.
    QCOMPARE(l.series()[2].points[0].y(), 75);
    QCOMPARE(l.series()[2].points[1].y(), 300 - (3 * 250 / 7) * 9 / 10);
}

void TestChartLayout::yearlyLabelsAreThinnedWhileEveryValueGetsATick() {
    // dx = (400 - 135) div 13 = 20; a year is 28 wide: step 28 div 19 + 1 = 2.
    const ChartLayout l =
        layout(chart(QLatin1Char('J'), 1990, {{QStringLiteral("A"), 0, 2, zeros(14)}}), 400, 300);
    QCOMPARE(l.dx(), 20);
    QCOMPARE(int(l.ticks().size()), 14);
    for (const auto& t : l.ticks()) QCOMPARE(t.length, 5);
    QCOMPARE(int(l.labels().size()), 7);
    for (int k = 0; k < 7; ++k) {
        QCOMPARE(l.labels()[std::size_t(k)].text, QString::number(1990 + 2 * k));
        QCOMPARE(l.labels()[std::size_t(k)].at, QPoint(30 + 2 * k * 20 - 14, l.y0() + 10));
    }
    // Wide enough for every year.
    const ChartLayout wide =
        layout(chart(QLatin1Char('J'), 1990, {{QStringLiteral("A"), 0, 2, zeros(14)}}), 800, 300);
    QCOMPARE(int(wide.labels().size()), 14);
}

void TestChartLayout::monthlyTicksMarkQuartersAndYears() {
    const ChartLayout l =
        layout(chart(QLatin1Char('M'), 2001, {{QStringLiteral("A"), 0, 2, zeros(24)}}), 592, 339);
    QList<int> lengths;
    for (const auto& t : l.ticks()) lengths << t.length;
    const QList<int> expected{10, 5, 5, 7, 5, 5, 7, 5, 5, 7, 5, 5, 10, 5, 5, 7, 5, 5, 7, 5, 5, 7, 5, 5};
    QCOMPARE(lengths, expected);
    QCOMPARE(int(l.labels().size()), 2);
    QCOMPARE(l.labels()[0].text, QStringLiteral("2001"));
    QCOMPARE(l.labels()[1].text, QStringLiteral("2002"));
    QCOMPARE(l.labels()[1].at.x(), l.xOf(12) - 14);

    // Quarters: the year ticks every fourth value.
    const ChartLayout q =
        layout(chart(QLatin1Char('Q'), 2001, {{QStringLiteral("A"), 0, 2, zeros(9)}}), 592, 339);
    lengths.clear();
    for (const auto& t : q.ticks()) lengths << t.length;
    QCOMPARE(lengths, (QList<int>{10, 5, 5, 5, 10, 5, 5, 5, 10}));
    QCOMPARE(int(q.labels().size()), 3);
}

void TestChartLayout::hintsTellPeriodCategoryAndValue() {
    const ChartLayout q =
        layout(chart(QLatin1Char('Q'), 1996, {{QStringLiteral("Winde"), 16776960, 2, {1, 3, 0}}}), 592, 339);
    QCOMPARE(q.series()[0].markers[1].hint, QStringLiteral("II / 1996  Winde  3"));
    QCOMPARE(q.series()[0].markers[1].at, q.series()[0].points[1] - QPoint(2, 2));

    QList<qint64> minutes = zeros(15);
    minutes[14] = 65;
    const ChartLayout m =
        layout(chart(QLatin1Char('M'), 1996, {{QStringLiteral("Gesamtstunden"), 0, 1, minutes}}), 592, 339);
    QCOMPARE(m.series()[0].markers[14].hint, QStringLiteral("M\u00e4rz 1997  Gesamtstunden  1:05 "));
    QCOMPARE(m.series()[0].markers[11].hint, QStringLiteral("Dez 1996  Gesamtstunden  0:00"));

    const ChartLayout y =
        layout(chart(QLatin1Char('J'), 1998, {{QStringLiteral("IFR"), 32768, 1, {600, 0}}}), 592, 339);
    QCOMPARE(y.series()[0].markers[0].hint, QStringLiteral("1998   IFR  10:00 "));
    QCOMPARE(y.series()[0].colour, 32768u);
}

void TestChartLayout::titleAndLegendPlaces() {
    const ChartLayout l =
        layout(chart(QLatin1Char('J'), 1998,
                     {{QStringLiteral("A"), 0, 2, {1, 2}}, {QStringLiteral("B"), 0, 2, {1, 2}}}),
               592, 339);
    QCOMPARE(l.title().text, QStringLiteral("Titel"));
    QCOMPARE(l.title().at, QPoint((492 - 50) / 2, 10));
    QCOMPARE(l.legendTitle().at, QPoint(502, 15));
    QCOMPARE(l.series()[0].legend, QPoint(492, 53));
    QCOMPARE(l.series()[1].legend, QPoint(492, 66));
    // The square of the series colour, the caption beside it.
    QCOMPARE(l.series()[1].swatch, QRect(492, 68, 9, 9));
    QCOMPARE(int(l.series()[1].legendLines.size()), 1);
    QCOMPARE(l.series()[1].legendLines[0].text, QStringLiteral("B"));
    QCOMPARE(l.series()[1].legendLines[0].at, QPoint(505, 66));
}

void TestChartLayout::legendIsNeverCut_data() {
    QList<SeriesSpec> every;
    for (const ChartCategory& c : chartCategories())
        every << SeriesSpec{c.captionText(), c.colour(), 2, {1, 2}};
    QTest::addColumn<QList<SeriesSpec>>("series");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("columns");
    QTest::newRow("a caption wider than the column")
        << QList<SeriesSpec>{{QStringLiteral("Gel\u00e4ndeanfl\u00fcge Nacht"), 65280, 2, {1, 2}}} << 592
        << 339 << 1;
    QTest::newRow("every category, initial size") << every << 592 << 339 << 2;
    QTest::newRow("every category, smallest size") << every << 400 << 300 << 2;
    QTest::newRow("every category, tall") << every << 800 << 700 << 1;
}

// Every caption is shown whole, in lines inside the window and right of the plot, none over another
// or over a year label.
void TestChartLayout::legendIsNeverCut() {
    QFETCH(QList<SeriesSpec>, series);
    QFETCH(int, w);
    QFETCH(int, h);
    const ChartLayout l = layout(chart(QLatin1Char('J'), 1998, series), w, h);
    const ChartLayout::Metrics m = fixedMetrics();
    QTEST(l.legendColumns(), "columns");
    // The heading over the last column, the title left of it and inside the window.
    QCOMPARE(l.legendTitle().at, QPoint(w - l.legendColumnWidth() + 10, 15));
    QVERIFY(l.title().at.x() >= 0);
    QVERIFY(l.title().at.x() + m.titleWidth(l.title().text) < l.legendTitle().at.x());
    QVERIFY(l.xEnd() < l.legendLeft());
    const QRect client(0, 0, w, h);
    std::vector<QRect> taken;
    for (const auto& label : l.labels())
        taken.emplace_back(label.at, QSize(m.textWidth(label.text), m.textHeight));
    for (const auto& s : l.series()) {
        QStringList words;
        QVERIFY(client.contains(s.swatch));
        QVERIFY(s.swatch.left() >= l.legendLeft());
        for (const QRect& other : taken) QVERIFY2(!s.swatch.intersects(other), qPrintable(s.caption));
        taken.push_back(s.swatch);
        for (const auto& line : s.legendLines) {
            words << line.text;
            const QRect r(line.at, QSize(m.textWidth(line.text), m.textHeight));
            QVERIFY2(client.contains(r), qPrintable(line.text));
            QVERIFY(r.left() > s.swatch.right());
            for (const QRect& other : taken) QVERIFY2(!r.intersects(other), qPrintable(line.text));
            taken.push_back(r);
        }
        QCOMPARE(words.join(QLatin1Char(' ')), s.caption);
    }
    if (series.size() == 1) QCOMPARE(int(l.series()[0].legendLines.size()), 2);
}

void TestChartLayout::aSingleValueCannotBeDrawn() {
    const ChartData one = chart(QLatin1Char('J'), 1998, {{QStringLiteral("A"), 0, 2, {5}}});
    QVERIFY(!ChartLayout::canDraw(one));
    QVERIFY(!layout(one, 592, 339).isValid());
    QVERIFY(!ChartLayout::canDraw(chart(QLatin1Char('J'), 1998, {})));
}

QTEST_MAIN(TestChartLayout)
#include "tst_chartlayout.moc"
