#pragma once

#include "evaluation/totals.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velmarsk {

class FlightBook;
class TEditName;
class TFMHaupt;

// The totals of a date range, the ZDv 19/11 birthday year and the last flights of five kinds,
// held against the yearly requirements when the range is the current year. Modeless; it follows
// changed flights and settings while it is open.
class TFMSumme : public QDialog {
    Q_OBJECT

public:
    TFMSumme(FlightBook& book, TFMHaupt* mainWindow);
    ~TFMSumme() override;

    // Creates the window over the main window with the current year as range, shows it and
    // calculates once.
    static TFMSumme* OpenTotalsWindow(FlightBook& book, TFMHaupt* mainWindow);

    // Calculates for the range in the edits; a text that is no date is reported and the old figures
    // stay.
    void BtnCalcClick();
    void BtnFertigClick();

    // The date used as today; the system date unless a test sets one.
    void setToday(const QDate& today) { m_today = today; }
    QDate today() const;

    // The figures of the last calculation shown.
    const std::optional<TotalsResult>& result() const { return m_result; }

    TEditName* EDVon = nullptr;
    TEditName* EDBis = nullptr;
    QPushButton* BtnCalc = nullptr;
    QPushButton* BtnFertig = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QGroupBox* GBVfr = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GB1911 = nullptr;
    QGroupBox* GBLastFlight = nullptr;
    QLabel* LblStand = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildLayout();
    QGroupBox* buildCellGroup(TotalsGroup group, const char* name, const QString& title, bool twoColumns);
    void buildLastFlightGroup();
    // One calculation over a new pass, shown in full.
    void calculate(const QDate& von, const QDate& bis);
    void recalculateQuietly();
    void ShowTotals(const TotalsResult& r);
    void ShowLastFlight(const TotalsResult& r);
    // After a pass that failed to read the logbook: no figures rather than sums over no flights.
    void clearFigures();
    void showChecks(const TotalsResult& r);
    void showBirthday(const TotalsResult& r);
    // The cell's hint after what the cell counts, when it says so.
    QString hintFor(QLabel* cell, const QString& hint) const;
    QString paceText(const PaceFigure& p, bool isTime) const;
    void lastFlightClicked(int kind);

    FlightBook& m_book;
    QPointer<TFMHaupt> m_main;
    QDate m_today;
    bool m_calculating = false;
    QTimer* m_followTimer = nullptr;
    std::optional<TotalsResult> m_result;
    std::vector<QLabel*> m_cells;  // parallel to totalsCells()
    std::array<QLabel*, kLastFlightKinds> m_lastCells{};
    QHash<QLabel*, QString> m_designHints;
    QHash<QLabel*, QString> m_explanations;
};

}  // namespace velmarsk
