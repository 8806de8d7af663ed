#pragma once

#include "evaluation/chartdata.h"
#include "extras/chartlayout.h"

#include <QDialog>
#include <QPointer>
#include <vector>

namespace velmarsk {

class TMarker;

// The chart window: one line per selected category over the periods, a year axis, ten grid steps,
// a title and a legend; a marker on every value tells period, category and value in its hint.
// Drawn from the data the selection window hands over; closing it closes the selection too.
class TFMGrafik : public QDialog {
    Q_OBJECT

public:
    explicit TFMGrafik(QWidget* parent = nullptr);
    ~TFMGrafik() override;

    // New data: the markers move to their new places, the window is repainted and takes the focus.
    void DoRepaint(const ChartData& chart);

    // The window that closes with this one (the selection window).
    void setCompanion(QWidget* companion) { m_companion = companion; }

    const ChartData& chartData() const { return m_data; }
    // The layout of the last size the window was drawn for.
    const ChartLayout& chartLayout() const { return m_layout; }
    // Marker (s - 1) x N + j belongs to value j of series s; the list only grows.
    const std::vector<TMarker*>& markers() const { return m_markers; }

    // The measures of the window's fonts the layout takes.
    ChartLayout::Metrics metrics() const;

    // Esc closes the window as its title bar does, and so both windows.
    void reject() override { close(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A new layout for the current size and data, and every marker of it placed with its hint.
    void PlaceMarkers();
    QFont titleFont() const;
    QFont legendFont() const;

    ChartData m_data;
    ChartLayout m_layout;
    std::vector<TMarker*> m_markers;
    QPointer<QWidget> m_companion;
    bool m_closing = false;
};

}  // namespace velmarsk
