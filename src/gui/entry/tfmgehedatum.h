#pragma once

#include <QDialog>

namespace velmarsk {

class TEditName;

// Asks for the date to go to.
class TFMGeheDatum : public QDialog {
    Q_OBJECT

public:
    explicit TFMGeheDatum(QWidget* parent = nullptr);
    TEditName* Datum;
};

}  // namespace velmarsk
