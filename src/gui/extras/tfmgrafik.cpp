#include "extras/tfmgrafik.h"

#include "controls/colors.h"
#include "controls/fonts.h"
#include "controls/tmarker.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>

namespace velmarsk {
namespace {

constexpr int kFontPixels = 11;

QPoint baselineOf(const QPoint& topLeft, const QFontMetrics& fm) {
    return topLeft + QPoint(0, fm.ascent());
}

}  // namespace

TFMGrafik::TFMGrafik(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FMGrafik"));
    setWindowTitle(QStringLiteral("Grafische Auswertung"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setSizeGripEnabled(true);
    QFont f = mappedFont(QStringLiteral("Arial"));
    f.setPixelSize(kFontPixels);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
    setMinimumSize(400, 300);
    resize(592, 339);
}

// The markers are children of the window and go with it.
TFMGrafik::~TFMGrafik() = default;

ChartLayout::Metrics TFMGrafik::metrics() const {
    const QFontMetrics text(font());
    const QFontMetrics title(titleFont());
    return {[text](const QString& s) { return text.horizontalAdvance(s); },
            [title](const QString& s) { return title.horizontalAdvance(s); }, text.height()};
}

QFont TFMGrafik::titleFont() const {
    QFont f = font();
    f.setPixelSize(2 * kFontPixels);
    return f;
}

QFont TFMGrafik::legendFont() const {
    QFont f = font();
    f.setPixelSize(kFontPixels * 3 / 2);
    return f;
}

void TFMGrafik::DoRepaint(const ChartData& chart) {
    m_data = chart;
    for (TMarker* m : m_markers) m->hide();
    PlaceMarkers();
    update();
    activateWindow();
    setFocus();
}

void TFMGrafik::PlaceMarkers() {
    m_layout = ChartLayout(m_data, size(), metrics());
    std::size_t needed = 0;
    for (const auto& s : m_layout.series()) needed += s.markers.size();
    while (m_markers.size() < needed) {
        auto* marker = new TMarker(this);
        marker->setObjectName(QStringLiteral("Marker%1").arg(m_markers.size()));
        marker->setMarkerSize(ChartLayout::kMarkerSize);
        marker->hide();
        m_markers.push_back(marker);
    }
    std::size_t index = 0;
    for (const auto& s : m_layout.series())
        for (const auto& place : s.markers) {
            TMarker* marker = m_markers[index++];
            marker->hide();
            marker->setColor(s.colour);
            marker->move(place.at);
            marker->setToolTip(place.hint);
            marker->show();
        }
    for (; index < m_markers.size(); ++index) m_markers[index]->hide();
}

void TFMGrafik::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // A plain repaint leaves the markers where they are; a new size moves them.
    if (QSize(m_layout.width(), m_layout.height()) != size()) {
        PlaceMarkers();
        update();
    }
}

void TFMGrafik::paintEvent(QPaintEvent* /*event*/) {
    const ChartLayout& l = m_layout;
    if (!l.isValid()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black, 0);
    p.setPen(pen);
    p.setBrush(Qt::white);

    p.setFont(titleFont());
    p.drawText(baselineOf(l.title().at, QFontMetrics(titleFont())), l.title().text);
    p.setFont(legendFont());
    p.drawText(baselineOf(l.legendTitle().at, QFontMetrics(legendFont())), l.legendTitle().text);
    p.setFont(font());
    const QFontMetrics fm(font());

    const int y0 = l.y0();
    p.drawLine(ChartLayout::kLeft, y0, l.xEnd(), y0);
    for (const auto& tick : l.ticks()) p.drawLine(tick.x, y0, tick.x, y0 + tick.length);
    for (const auto& label : l.labels()) p.drawText(baselineOf(label.at, fm), label.text);

    p.drawLine(ChartLayout::kLeft, l.top(), ChartLayout::kLeft, y0);
    const std::vector<int> grid = l.gridYs();
    QPen dotted = pen;
    dotted.setStyle(Qt::DotLine);
    for (std::size_t k = 0; k < grid.size(); ++k) {
        p.setPen(pen);
        p.drawLine(ChartLayout::kLeft - 5, grid[k], ChartLayout::kLeft, grid[k]);
        if (k > 0 && k + 1 < grid.size()) {
            p.setPen(dotted);
            p.drawLine(ChartLayout::kLeft, grid[k], l.xEnd(), grid[k]);
        }
    }
    p.setPen(pen);
    p.drawLine(ChartLayout::kLeft, l.top(), l.xEnd(), l.top());
    p.drawLine(l.xEnd(), l.top(), l.xEnd(), y0);

    for (const auto& s : l.series()) {
        const QColor colour = colorFromValue(s.colour, palette());
        // The caption in black beside a square of the series colour: lime, yellow or silver text
        // cannot be read on white.
        p.setPen(QPen(Qt::darkGray, 0));
        p.setBrush(colour);
        p.drawRect(s.swatch.adjusted(0, 0, -1, -1));
        p.setPen(pen);
        for (const auto& line : s.legendLines) p.drawText(baselineOf(line.at, fm), line.text);
        p.setPen(QPen(colour, 0));
        QPoint from = s.points.front();
        for (const QPoint& to : s.points) {
            p.drawLine(from, to);
            from = to;
        }
    }
}

void TFMGrafik::closeEvent(QCloseEvent* event) {
    // The selection closes with the chart; its close asks this one again, which is refused here.
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    if (m_companion) m_companion->close();
    event->accept();
}

}  // namespace velmarsk
