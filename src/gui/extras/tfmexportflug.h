#pragma once

#include "exchange/flightimport.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace velmarsk {

class FlightBook;

// The export and import window: it owns the two file dialogs and the folder last chosen in them
// (ExportDir), appends a flight to an export file, and shows the counts while an import runs.
// Created once at program start; shown only during an import.
class TFMExportFlug : public QDialog {
    Q_OBJECT

public:
    TFMExportFlug(FlightBook& book, QWidget* parent = nullptr);

    // The folder of the last export or import file chosen in this run; empty until one is chosen.
    QString ExportDir() const { return m_exportDir; }
    // Writes ExportDir to the settings at the end of the run, when one was chosen.
    void saveExportDir();

    // Where both dialogs start: ExportDir, else the folder kept in the settings, else the logbook's.
    QString startFolder() const;
    // The dialogs: the chosen file, or empty when cancelled.
    QString ChooseExportFile();
    QString ChooseImportFile();

    // Appends the flight at position to a file the user chooses: that file, or empty when nothing
    // was written (cancelled, or the user has been told why).
    QString ExportFlight(int position);

    // Reads the chosen file into the logbook while the window shows the counts, then waits for the
    // user's "OK". Nothing happens and nothing is returned when the dialog was cancelled.
    std::optional<ImportOutcome> ImportFlights();

    // Any import of flights as the window shows it: open gives the reason the file cannot be read
    // (empty when it can), run reads it with the step that counts and stops on "Abbruch". What was
    // refused or went wrong is told, then the window waits for "OK".
    using ImportOpen = std::function<QString()>;
    using ImportRun = std::function<ImportOutcome(const FlightImport::Step&)>;
    ImportOutcome RunImport(const ImportOpen& open, const ImportRun& run);

    void BTNEndeClick();

    QLabel* LblHeadline = nullptr;
    QLabel* LblFluege = nullptr;
    QLabel* LblImport = nullptr;
    QPushButton* BTNEnde = nullptr;

signals:
    // The import has read to its end and waits for the user.
    void waitingForUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString choose(bool save);
    void showCounts(int read, int imported);

    FlightBook& m_book;
    QString m_exportDir;
    bool m_running = false;
    bool m_cancel = false;
    bool m_done = false;
};

}  // namespace velmarsk
