#pragma once

#include <QDialog>

class QPushButton;

namespace velmarsk {

class TEditName;
class TFMHaupt;

// "CSV exportieren": the date range, then the file; the flights of the range go out as a table for
// spreadsheet programs. Protected comments are written plain only after the password was given.
class TFMCsvExport : public QDialog {
    Q_OBJECT

public:
    explicit TFMCsvExport(TFMHaupt& main);

    // Reads the range (a text that is no date raises the date error), asks for the file and writes
    // it. False when cancelled or failed (the user has been told why).
    bool BtnOkClick();

    TEditName* EDVon = nullptr;
    TEditName* EDBis = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnCancel = nullptr;

private:
    TFMHaupt& m_main;
};

}  // namespace velmarsk
