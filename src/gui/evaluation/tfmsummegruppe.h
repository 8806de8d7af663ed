#pragma once

#include "evaluation/grouptotals.h"

#include <QDate>
#include <QDialog>
#include <optional>

class QComboBox;
class QPushButton;
class QTableWidget;
class QTimer;

namespace velmarsk {

class FlightBook;
class Settings;
class TEditName;
class TFMHaupt;

// Career totals per aircraft type, registration, callsign, TCTP, duty or year over a date range,
// for ratings and licence applications. Modeless; it follows changed flights while it is open and
// keeps its place, size and grouping.
class TFMSummeGruppe : public QDialog {
    Q_OBJECT

public:
    TFMSummeGruppe(FlightBook& book, TFMHaupt* mainWindow);
    ~TFMSummeGruppe() override;

    // Creates the window where it was last, with every flight of the logbook as range, shows it and
    // calculates once.
    static TFMSummeGruppe* OpenGroupTotals(FlightBook& book, TFMHaupt* mainWindow);

    // Calculates for the range in the edits and the chosen grouping; a text that is no date is
    // reported and the old figures stay.
    void BtnCalcClick();

    // Orders the rows by this column (0 the group, then as kGroupColumns); the total stays last.
    void sortByColumn(int column, Qt::SortOrder order);

    // The table as tab-separated text with a header line and the total, as Ctrl+C copies it.
    QString tableText() const;

    GroupBy grouping() const;
    const std::optional<GroupTotals>& result() const { return m_result; }

    TEditName* EDVon = nullptr;
    TEditName* EDBis = nullptr;
    QComboBox* CBGruppe = nullptr;
    QTableWidget* TBSummen = nullptr;
    QPushButton* BtnCalc = nullptr;
    QPushButton* BtnFertig = nullptr;

private:
    void buildLayout();
    void calculate(const QDate& von, const QDate& bis);
    void recalculateQuietly();
    void fillTable();
    void fitToTable();
    void copyTable();
    void writeSettings();

    FlightBook& m_book;
    Settings& m_settings;
    QTimer* m_followTimer = nullptr;
    std::optional<GroupTotals> m_result;
    int m_sortColumn = 2;  // ATE, the order the sums come in
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};

}  // namespace velmarsk
