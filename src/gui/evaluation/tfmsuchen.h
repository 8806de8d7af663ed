#pragma once

#include "evaluation/searchcriteria.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velmarsk {

class FlightBook;
class MaskedLineEdit;
class TFMHaupt;

// The search window: finds the next flight, forward or backward from the shown one, that has one
// of the checked procedures or whose texts match up to three search texts, and shows it in the
// main window. Modeless and single; closing it discards it with its settings.
class TFMSuchen : public QDialog {
    Q_OBJECT

public:
    TFMSuchen(TFMHaupt& mainForm, FlightBook& book);
    ~TFMSuchen() override;

    // Runs one search with the window's settings.
    void ButtonOkClick();
    // Closes the window when it is idle, else stops the running search.
    void btnAbbruchClick();
    // The next search repeats from the shown flight without taking the focus from where it is;
    // the timer keeps the window reachable meanwhile.
    void startContinue();
    // Enables or locks the text and procedure panels by their check boxes.
    void FormActivate();

    bool idle() const { return m_idle; }
    // The crew slot (1..8) of the crew name that gave the last text hit, else 0.
    int matchedCrewSlot() const { return m_crewSlot; }

    // The criteria as the controls show them now, without the date range (ButtonOkClick converts
    // the range dates when it needs them).
    SearchCriteria criteriaFromControls() const;

    int direction() const;  // 0 forward, 1 backward
    void setDirection(int index);
    int range() const;  // 0 from the shown flight, 1 from the beginning or end
    void setRange(int index);
    // Sets both combination boxes without rebuilding the panel's hint, as opening the window does.
    void setOps(SearchOp op1, SearchOp op2);

    // Controls, named as the window's layout names them (also their objectName).
    QCheckBox* CBTextSearch = nullptr;
    QCheckBox* CBVerfSearch = nullptr;
    QFrame* PNTextSearch = nullptr;
    QFrame* PNVerfSearch = nullptr;
    QLineEdit* Searchstring1 = nullptr;
    QLineEdit* Searchstring2 = nullptr;
    QLineEdit* Searchstring3 = nullptr;
    QComboBox* CBUndOder1 = nullptr;
    QComboBox* CBUndOder2 = nullptr;
    QCheckBox* CBinRegistration = nullptr;
    QCheckBox* CBInCrew = nullptr;
    QCheckBox* CBinRouting = nullptr;
    QCheckBox* CBinCallsign = nullptr;
    QCheckBox* CBinComment = nullptr;
    QCheckBox* CBinTctp = nullptr;
    QCheckBox* CBGrossKlein = nullptr;
    QCheckBox* CBWholeWord = nullptr;
    QGroupBox* RGRichtung = nullptr;
    QGroupBox* RGBereich = nullptr;
    QCheckBox* CBVonBis = nullptr;
    MaskedLineEdit* DatumVon = nullptr;
    MaskedLineEdit* DatumBis = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* btnAbbruch = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QTimer* Timer = nullptr;
    // The procedure boxes in the order of procedureBoxes().
    std::vector<QCheckBox*> procedureBoxes;

    // The field check box of a field.
    QCheckBox* fieldBox(SearchField field) const;

signals:
    // The window was closed; it is discarded once control returns to the event loop.
    void formClosed();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTextPart(QWidget* parent);
    void buildProcedurePart(QWidget* parent);
    QGroupBox* buildRadioGroup(const QString& name, const QString& caption, const QStringList& items,
                               QButtonGroup** group);
    void rebuildPanelHint();
    void CBVonBisClick();
    void TimerTimer();
    // The search loop over m_criteria; false when the window was closed meanwhile (this may be
    // gone then).
    bool runSearch();

    TFMHaupt& m_main;
    FlightBook& m_book;
    QButtonGroup* m_richtung = nullptr;
    QButtonGroup* m_bereich = nullptr;

    SearchCriteria m_criteria;
    // Search state.
    bool m_idle = true;
    bool m_continue = false;
    bool m_closing = false;
    bool m_flightsChanged = false;
    int m_crewSlot = 0;
};

}  // namespace velmarsk
