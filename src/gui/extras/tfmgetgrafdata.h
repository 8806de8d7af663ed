#pragma once

#include "evaluation/chartdata.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace velmarsk {

class FlightBook;
class MaskedLineEdit;
class TFMGrafik;
class TGCheckBox;

// The chart selection: the years, yearly, quarterly or monthly values and the categories to draw.
// It stays open beside the chart; every accepted OK recomputes the data and redraws the chart,
// which the first accepted OK opens. Closing either window closes both.
class TFMGetGrafData : public QDialog {
    Q_OBJECT

public:
    TFMGetGrafData(FlightBook& book, QWidget* mainWindow);
    ~TFMGetGrafData() override;

    // The main window's chart command: opens the selection over the main window, or refuses with a
    // message when the logbook holds no flight (nullptr then).
    static TFMGetGrafData* OpenChart(FlightBook& book, QWidget* mainWindow);

    void BtnOKClick();
    void BtnCancelClick();

    // The selected mode: 0 year, 1 quarter, 2 month.
    int modeIndex() const;
    void setModeIndex(int index);
    TGCheckBox* box(const char* name) const;
    const std::vector<TGCheckBox*>& boxes() const { return m_boxes; }

    const ChartData& chartData() const { return m_chartData; }
    TFMGrafik* chartWindow() const;

    QLabel* Label1 = nullptr;
    MaskedLineEdit* EDVon = nullptr;
    MaskedLineEdit* EDBis = nullptr;
    QGroupBox* RGMode = nullptr;
    QFrame* PNCheckBoxes = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;

    // Esc closes the window as its title bar does, and so both windows.
    void reject() override { close(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void FormCreate();
    // The year in a field, without the text the mask shows before it.
    static QString yearText(const MaskedLineEdit* edit);
    void refuse(const QString& message);

    FlightBook& m_book;
    QPointer<QWidget> m_main;
    QPointer<TFMGrafik> m_chart;
    ChartData m_chartData;
    std::vector<TGCheckBox*> m_boxes;  // by chartCategories()
    QButtonGroup* m_mode = nullptr;
    bool m_closing = false;
};

}  // namespace velmarsk
