#pragma once

#include <QDialog>
#include <QPointer>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace velmarsk {

class FlightBook;
class TEditName;

// Prints the flights of a date range as logbook pages, with the sums of each page carried forward
// to the next, into a PDF file or on the program's current printer.
class TFMFlugbuchseiten : public QDialog {
    Q_OBJECT

public:
    // printer: the program's current printer, or nullptr when only PDF files are offered.
    TFMFlugbuchseiten(FlightBook& book, QPrinter* printer, QWidget* parent = nullptr);
    ~TFMFlugbuchseiten() override;

    // Prints the range of the edits; a text that is no date is reported by the caller's handler.
    void BtnDruckenClick();
    void BtnDateiClick();

    // 0 PDF file, 1 printer.
    int output() const;
    void setOutput(int index);
    int printedPages() const { return m_printedPages; }
    // The totals the last output brought forward onto page 1, per column of the pages.
    const std::vector<qint64>& broughtForward() const { return m_broughtForward; }

    TEditName* EDVon = nullptr;
    TEditName* EDBis = nullptr;
    QCheckBox* CBUebertrag = nullptr;
    QGroupBox* RGAusgabe = nullptr;
    QLineEdit* EDDatei = nullptr;
    QPushButton* BtnDatei = nullptr;
    QPushButton* BtnDrucken = nullptr;
    QPushButton* BtnSchliessen = nullptr;
    QLabel* LblStand = nullptr;
    QLabel* LblFlugzeit = nullptr;

private:
    void buildLayout();
    // Keeps the PDF file written in the settings for the next time.
    void rememberFile();

    FlightBook& m_book;
    QPrinter* m_printer;
    QButtonGroup* m_output = nullptr;
    int m_printedPages = 0;
    std::vector<qint64> m_broughtForward;
};

}  // namespace velmarsk
