#pragma once

#include "entry/entrymask.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class QAction;
class QKeyEvent;
class QMenu;
class QToolButton;

namespace velmarsk {

class FlightBook;
class GuiInteraction;
class Logbook;
class Settings;
class TFMCrewInfo;
class TFMDrucken;
class TFMExportFlug;
class TFMFlugbuchseiten;
class TFMGetGrafData;
class TFMSumme;
class TFMSummeGruppe;
class TFMSuchen;

// The main window: one flight at a time in the entry mask, the walk through the logbook in date
// order, the commands on the flight shown, and the menus that open every other function.
class TFMHaupt : public QMainWindow {
    Q_OBJECT

public:
    TFMHaupt(FlightBook& book, GuiInteraction& ui, QWidget* parent = nullptr);
    ~TFMHaupt() override;

    // The state other windows read and the operations they call.
    EntryStateValue EntryState() const { return m_mask->EntryState(); }
    int CurrentPosition() const { return m_currentPosition; }
    qint32 RunningTotal() const;
    Logbook& logbook() { return m_logbook; }
    // The entry mask: its fields, the flight it shows, its rules.
    EntryMask& mask() const { return *m_mask; }
    FlightBook& flightBook() { return m_book; }

    void ShowFlight(int position);
    // Moves a window of the program that covers the shown flight's fields beside the main window,
    // or where it covers least of them, so that a flight shown from there is seen.
    void MoveAside(QWidget* window);
    // Where the shown flight's fields are on the screen (the comment below them not counted).
    QRect flightArea() const;
    void EnableButtons();
    void DisplayNext(int step);

    // Menu commands of the maintenance functions.
    void IndexneuClick();
    void DateiordnenClick(bool full = true);
    void SchriftClick();

    // The arrow buttons' auto-repeat: press and release, as the mouse gives them.
    void ArrowMouseDown(QToolButton* button, Qt::MouseButton mouseButton);
    void ArrowMouseUp();
    void stopAutoRepeat() { m_mouseHeld = false; }

    // Program end before the logbook is closed: the questions and work that belong to the window.
    void shutDown();
    // The older texts in the backup copies, after a comment was protected: taken out, or the
    // copies removed, as the pilot answers.
    void askAboutCopies();
    // True when the program must end before the window is used (the password was refused).
    bool endRequested() const { return m_endRequested; }

    // Commands
    void NeuerFlugClick();
    void FlugAendernClick();
    void BtnokClick();
    void BtnCancelClick();
    void FlugloeschenClick();
    void GehezuClick();
    void GoToDate(const QString& text);
    void FlugdruckenClick();
    void DruckerwaehlenClick();
    // Opens the totals window, or brings the open one to the front.
    void SummeClick();
    TFMSumme* totalsWindow() const;
    void SummeGruppeClick();
    TFMSummeGruppe* groupTotalsWindow() const;
    // Opens the chart selection, or brings the open one to the front.
    void GrafikClick();
    TFMGetGrafData* chartSelection() const;
    // Opens the window that prints logbook pages, or brings the open one to the front.
    void FlugbuchseitenClick();
    TFMFlugbuchseiten* logbookPagesWindow() const;
    TFMDrucken* printerHolder();
    // "Datei | Sicherung wiederherstellen": the restored logbook with its own password state.
    void SicherungwiederherstellenClick();
    // Runs a command; an error it raises for the user is shown and ends only that command.
    void runCommand(void (TFMHaupt::*command)());

    // Password
    bool PasswordValid() const { return m_passwordValid; }
    bool HiddenCommentLeft() const { return m_hiddenCommentLeft; }
    bool AskPassword();
    // The password question only when a password is stored; a correct answer unlocks the run, a
    // refusal leaves PasswordValid as it was.
    bool AskPasswordIfSet();
    // The options dialog unlocks the run once the password was given there.
    void setPasswordValid(bool valid) { m_passwordValid = valid; }
    // Asks only while the password has not been given in this run.
    bool passwordGiven();
    void CBHasPasswordClick();

    // The options dialog, modal; afterwards the shown flight with the new settings.
    void OpenOptionsDialog();
    // Empty VFR and IFR blocks are hidden at the next display while set.
    bool hideUnused() const { return m_hideUnused; }
    void setHideUnused(bool hide) { m_hideUnused = hide; }
    // Search: the "Suchen" and "Weitersuchen" commands, and the search of the crew info window
    // for the newest flight whose field ("CrewNames", "Callsign", "Registration") is the text.
    void OpenSearchDialog();
    void ContinueSearch();
    void SearchFromCrewInfo(const QString& text, const QString& field);
    TFMSuchen* searchDialog() const;
    // Export and import of flights, the CSV table, the crew info and info windows.
    void ExportierenClick();
    void ImportierenClick();
    void CsvExportierenClick();
    void CsvImportierenClick();
    void CrewInfoClick();
    void InfoClick();
    TFMExportFlug* exportWindow();
    TFMCrewInfo* crewInfoWindow() const;

    // The item of the main menu with this objectName ("NeuerFlug", "Summe", ...).
    QAction* menuAction(const QString& name) const;

signals:
    // After every display of a flight (0 for the empty mask of an empty logbook).
    void flightShown(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void connectCommands();
    void updateDiagnostics();
    // A rectangle of a widget of the mask on the screen, as far as the window shows it.
    QRect onScreen(const QWidget* widget, const QRect& rect) const;
    void applySizeLimits();
    void waitForTick(int milliseconds);
    // Back to Browse after an entry, showing the flight at position.
    void endEntry(int position);

    FlightBook& m_book;
    Logbook& m_logbook;
    Settings& m_settings;
    GuiInteraction& m_ui;

    EntryMask* m_mask = nullptr;
    int m_currentPosition = 0;
    bool m_hideUnused = true;
    bool m_passwordValid = false;
    bool m_mouseHeld = false;
    bool m_tickSeen = false;
    bool m_endRequested = false;
    bool m_hiddenCommentLeft = false;
    // Date << 16 | Atd of the flights whose comment was protected in this run, as the backup
    // copies know them (before the change) and as they are now.
    QList<std::uint32_t> m_protectedFlights;
    QPointer<TFMDrucken> m_printerHolder;
    QPointer<TFMSumme> m_totals;
    QPointer<TFMSummeGruppe> m_groupTotals;
    QPointer<TFMSuchen> m_searchDialog;
    QPointer<TFMExportFlug> m_exportWindow;
    QPointer<TFMCrewInfo> m_crewInfo;
    QPointer<TFMGetGrafData> m_chartSelection;
    QPointer<TFMFlugbuchseiten> m_logbookPages;
    QTimer* Timer;

public:
    // The menus of the window and its mask (also their objectName).
    QMenu* PUNormal = nullptr;
    QMenu* PUComment = nullptr;
    QMenu* PUDummy = nullptr;
};

}  // namespace velmarsk
