#pragma once

#include "maintenance/progresswindow.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace velmarsk {

// Progress of one step of the upgrade of an old logbook layout.
class TFMKonvert : public ProgressWindow {
    Q_OBJECT

public:
    TFMKonvert(const QString& fromVersion, const QString& toVersion, QWidget* parent = nullptr);

    void BtnCancelClick() { setCancelFlag(true); }

protected:
    void cancelPressed() override { BtnCancelClick(); }

private:
    QLabel* LblVonVersion;
    QLabel* LbLNachVersion;
    QProgressBar* PBKonvert;
    QPushButton* BtnCancel;
};

}  // namespace velmarsk
