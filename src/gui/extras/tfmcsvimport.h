#pragma once

#include "exchange/csvimport.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace velmarsk {

class TFMHaupt;

// "CSV importieren": the first rows of the chosen table as the import will read them, the columns
// it takes and those it leaves out; "Importieren" then reads the whole table with the counts and
// "Abbruch" of the import window.
class TFMCsvImport : public QDialog {
    Q_OBJECT

public:
    // The rows shown before importing.
    static constexpr int kPreviewRows = 10;

    TFMCsvImport(const QString& file, const CsvPreview& preview, QWidget* parent = nullptr);

    // The whole command: the file, the look at it, the import. Nothing is returned when the user
    // cancelled or the file is no table (the user has been told why).
    static std::optional<ImportOutcome> ImportCsv(TFMHaupt& main);

    QLabel* LblFormat = nullptr;
    QLabel* LblIgnored = nullptr;
    QTableWidget* TblPreview = nullptr;
    QPushButton* BtnImport = nullptr;
    QPushButton* BtnCancel = nullptr;
};

}  // namespace velmarsk
