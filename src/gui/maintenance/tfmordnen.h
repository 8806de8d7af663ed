#pragma once

#include "maintenance/progresswindow.h"
#include "storage/logbook.h"

#include <array>

class QLabel;
class QProgressBar;
class QPushButton;

namespace velmarsk {

class FlightBook;

// Progress and results of sorting and compacting the logbook: one row per phase (sort, texts,
// names), a progress bar, and one button that is "Abbruch" while it runs and "Schließen" after.
class TFMOrdnen : public ProgressWindow {
    Q_OBJECT

public:
    explicit TFMOrdnen(QWidget* parent = nullptr);

    // full: the menu command, whose window waits for "Schließen"; otherwise only Flug.str is
    // compacted and the window closes by itself.
    static SortResult SortAndCompact(FlightBook& book, QWidget* mainWindow, bool full);

    void phaseStarted(int phase) override;
    void phaseFinished(int phase, qint64 result) override;
    void BtnAbbruchClick();

protected:
    void cancelPressed() override { BtnAbbruchClick(); }

private:
    void finish(bool waitForClose);

    struct Row {
        QLabel* label;
        QLabel* number;
        QLabel* text;
    };
    std::array<Row, 3> m_rows{};
    QProgressBar* m_bar;
    QPushButton* BtnAbbruch;
    QPushButton* BtnSchliessen;
    bool m_finished = false;
};

}  // namespace velmarsk
