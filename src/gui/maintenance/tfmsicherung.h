#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace velmarsk {

class FlightBook;

// The dated copies of the logbook in the folder "Sicherung", newest first, each with its date and
// number of flights. "Wiederherstellen" puts the chosen one back after a question, when it is
// whole; the current files become one more copy. The question says when the copy brings another
// password, or none, or guards other things with it.
class TFMSicherung : public QDialog {
    Q_OBJECT

public:
    explicit TFMSicherung(FlightBook& book, QWidget* parent = nullptr);

    // The menu command, modal: true when a copy was put back.
    static bool RestoreBackup(FlightBook& book, QWidget* mainWindow);

    void BtnWiederherstellenClick();
    bool restored() const { return m_restored; }

private:
    void fillList();

    FlightBook& m_book;
    bool m_restored = false;
    QListWidget* LBSicherungen;
    QLabel* LblLeer;
    QPushButton* BtnWiederherstellen;
    QPushButton* BtnCancel;
};

}  // namespace velmarsk
