#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace velmarsk {

// Asks for the logbook's password; any number of tries, the close box refuses.
class TFMPassword : public QDialog {
    Q_OBJECT

public:
    TFMPassword(const QString& expected, QWidget* parent = nullptr);

    void BtnPasswordOkClick();

    QLineEdit* EDPassword;
    QPushButton* BtnPasswordOk;

private:
    QString m_expected;
};

}  // namespace velmarsk
