#pragma once

#include "storage/interaction.h"

#include <QDialog>

class QProgressBar;

namespace velmarsk {

// A window that shows the progress of a long logbook operation and carries its cancel button.
// The operation runs inside the event handler that started it; each poll lets pending window
// events run, so the cancel button and the window stay responsive meanwhile.
class ProgressWindow : public QDialog, public Progress {
    Q_OBJECT

public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void setMaximum(qint64 maximum) override;
    void setValue(qint64 value) override;
    bool cancelRequested() override;

    bool cancelFlag() const { return m_cancel; }

protected:
    void setProgressBar(QProgressBar* bar) { m_bar = bar; }
    void setCancelFlag(bool on) { m_cancel = on; }
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc and the close box act as the cancel button
    // What the cancel button does; by default it only asks the running operation to stop.
    virtual void cancelPressed() { m_cancel = true; }

private:
    QProgressBar* m_bar = nullptr;
    qint64 m_maximum = 0;
    int m_shift = 0;  // the bar counts in int: large ranges are scaled down by this many bits
    bool m_cancel = false;
};

}  // namespace velmarsk
