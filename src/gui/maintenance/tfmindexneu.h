#pragma once

#include "maintenance/progresswindow.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace velmarsk {

class FlightBook;

// The index rebuild: from the menu with a question when the logbook holds flights, at start-up
// (a missing or damaged index) without one.
class TFMIndexneu : public ProgressWindow {
    Q_OBJECT

public:
    enum class Mode { Menu, StartUp };

    // book is null at start-up, where the rebuild runs inside the opening and only reports here.
    TFMIndexneu(FlightBook* book, Mode mode, QWidget* parent = nullptr);

    // The menu command: true when the index was rebuilt. After a rebuild cancelled part-way the
    // index is loaded again, which asks whether to create it.
    static bool RebuildIndex(FlightBook& book, QWidget* mainWindow);

    void FormActivate();
    void BtnOKClick();
    void BtnCancelClick();

    bool rebuildStarted() const { return m_started; }

protected:
    void showEvent(QShowEvent* event) override;
    void cancelPressed() override { BtnCancelClick(); }

private:
    FlightBook* m_book;
    Mode m_mode;
    bool m_started = false;
    bool m_running = false;
    QWidget* PanelFrage;
    QWidget* PanelOhneFrage;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
    QPushButton* btnCancel2;
    QProgressBar* ProgressBar;
};

}  // namespace velmarsk
