#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace velmarsk {

class FlightBook;

// Asks for the logbook's password; any number of tries, the close box refuses.
class TFMPassword : public QDialog {
    Q_OBJECT

public:
    // The answer is checked by the logbook's service, as the command line checks its option.
    TFMPassword(FlightBook& book, QWidget* parent = nullptr);

    void BtnPasswordOkClick();

    QLineEdit* EDPassword;
    QPushButton* BtnPasswordOk;

private:
    FlightBook& m_book;
};

}  // namespace velmarsk
