#pragma once

#include "storage/flightrecord.h"
#include "storage/stringrecord.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace velmarsk {

class FlightBook;
class GuiInteraction;
class Logbook;
class Settings;
class TEdit5Min;
class TEditName;
class TEditZahl;
class TMyEdit;
class TFMDrucken;
class TFMFlugbuchseiten;
class TFMGetGrafData;
class TFMSumme;
class TFMSuchen;

enum EntryStateValue : quint8 { NewFlight = 0, Browse = 1, ChangeFlight = 2 };

// The main window: one flight at a time in the entry mask, the walk through the logbook in date
// order, and the menus that open every other function.
class TFMHaupt : public QMainWindow {
    Q_OBJECT

public:
    TFMHaupt(FlightBook& book, GuiInteraction& ui, QWidget* parent = nullptr);
    ~TFMHaupt() override;

    // The state other windows read and the operations they call.
    EntryStateValue EntryState() const { return m_entryState; }
    int CurrentPosition() const { return m_currentPosition; }
    int CrewScrollPos() const { return m_crewScrollPos; }
    qint32 RunningTotal() const;
    const FlightRecord& CurrentFlight() const { return m_currentFlight; }
    const StringRecord& CurrentStringRecord() const { return m_currentStringRecord; }
    int CrewCount() const { return m_crewCount; }
    Logbook& logbook() { return m_logbook; }
    FlightBook& flightBook() { return m_book; }

    void ShowFlight(int position);
    void EnableButtons();
    void DisplayNext(int step);

    // Mask transfer.
    void RecordToMask(const FlightRecord& record);
    void MaskToRecord(FlightRecord& record);
    void StoreCrewRows();
    void FillCrewRows();
    void SetCrewScroll(int slot);

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
    // Opens the chart selection, or brings the open one to the front.
    void GrafikClick();
    TFMGetGrafData* chartSelection() const;
    // Opens the window that prints logbook pages, or brings the open one to the front.
    void FlugbuchseitenClick();
    TFMFlugbuchseiten* logbookPagesWindow() const;
    TFMDrucken* printerHolder();
    // Runs a command; an error it raises for the user is shown and ends only that command.
    void runCommand(void (TFMHaupt::*command)());
    // The first required field that is empty, or nullptr.
    QWidget* firstEmptyRequiredField();

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

    // The widget that holds the whole mask (inside the window's scroll area).
    QWidget* maskArea() const { return m_client; }

    // The item of the main menu with this objectName ("NeuerFlug", "Summe", ...).
    QAction* menuAction(const QString& name) const;

signals:
    // After every display of a flight (0 for the empty mask of an empty logbook).
    void flightShown(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        const FieldInfo* field;
        QWidget* control;
    };
    static constexpr quint32 kMinutesPerDay = 24 * 60;
    static quint32 maskValue(const Binding& b);
    // The name under which the user sees a field: its label, or group, column and row.
    QString fieldCaption(QWidget* field) const;
    QString clockTimeRefusal(QWidget* field) const;
    // The first field whose value the record cannot hold, with the message saying so.
    std::pair<QWidget*, QString> firstUnstorableValue() const;

    void buildMask();
    void buildMenus();
    QWidget* buildCategoryGroup(QGroupBox* box, bool vfr);
    void bindFields();
    void applyCommentFont(bool covered);
    void updateTotalField();
    void updateDiagnostics();
    void applySizeLimits();
    void setEntryState(EntryStateValue state);
    QString nameText(NameRef ref) const;
    NameRef nameRef(const QString& text);
    void waitForTick(int milliseconds);

    FlightBook& m_book;
    Logbook& m_logbook;
    Settings& m_settings;
    GuiInteraction& m_ui;

    EntryStateValue m_entryState = Browse;
    int m_currentPosition = 0;
    int m_crewScrollPos = 1;
    bool m_hideUnused = true;
    bool m_passwordValid = false;
    FlightRecord m_templateFlight;
    FlightRecord m_currentFlight;
    StringRecord m_currentStringRecord;
    int m_crewCount = 0;
    bool m_mouseHeld = false;
    bool m_tickSeen = false;
    QLabel* m_commentLock = nullptr;
    QWidget* m_client = nullptr;
    bool m_endRequested = false;
    bool m_hiddenCommentLeft = false;
    QPointer<TFMDrucken> m_printerHolder;
    QPointer<TFMSumme> m_totals;
    QPointer<TFMSuchen> m_searchDialog;
    QPointer<TFMGetGrafData> m_chartSelection;
    QPointer<TFMFlugbuchseiten> m_logbookPages;
    void guardStorableText();
    QTimer* Timer;

public:
    // Controls, named as the window's layout names them (also their objectName).
    QCheckBox* CBHasPassword = nullptr;
    QCheckBox* CBCommentHidden = nullptr;
    QLabel* PanelTitelNew = nullptr;
    QLabel* PanelTitelChange = nullptr;
    QFrame* PanelAllg = nullptr;
    QFrame* PanelGesamt = nullptr;
    QGroupBox* PanelVFR = nullptr;
    QGroupBox* PanelIFR = nullptr;
    QGroupBox* Comment = nullptr;
    QLabel* CommentHeader = nullptr;
    TEditName* EDDate = nullptr;
    std::array<TEditName*, 4> EDDuty{};
    std::array<TMyEdit*, 4> EDName{};
    QScrollBar* SBName = nullptr;
    TEditName* EDAircraft = nullptr;
    TEditName* EDCallsign = nullptr;
    TEditName* EDRegistration = nullptr;
    TEditName* EDTctp = nullptr;
    QPlainTextEdit* MRouting = nullptr;
    QPlainTextEdit* MemComment = nullptr;
    TEdit5Min* EDGesTarnoki = nullptr;
    QPushButton* Btnok = nullptr;
    QPushButton* BtnCancel = nullptr;
    QToolButton* BtnDown = nullptr;
    QToolButton* BtnUp = nullptr;
    QFrame* PanelDebug = nullptr;
    QLabel* SetNr = nullptr;
    QLabel* MaxNr = nullptr;
    QLabel* DateiPos = nullptr;
    QLabel* LbTest = nullptr;
    QMenu* PUNormal = nullptr;
    QMenu* PUComment = nullptr;
    QMenu* PUDummy = nullptr;

private:
    std::vector<Binding> m_bindings;  // scalar record fields and their controls, in record order

    // Entry rules
public:
    // Puts the window into NewFlight or ChangeFlight over the mask as it stands: buttons, both
    // category panels, the crew rows as the working crew, the field rules, focus to the date.
    void startEntry(EntryStateValue state);
    void ApplyEntryRules();
    bool IsFilled(QWidget* field);

private:
    class EntryRules;
    using FieldHandler = void (TFMHaupt::*)(QWidget*);

    void connectEntryRules();
    void runHandler(FieldHandler handler, QWidget* field, bool isExit);
    void TestEnable(QWidget* field);
    void EmptyNotAllowed(QWidget* field);
    void EmptyTest(QWidget* field);
    void ClockTimeTest(QWidget* field);
    void EDAtaBeforeExit(QWidget* field);
    void EDAteBeforeExit(QWidget* field);
    void EDCallsignExit(QWidget* field);
    void EDRegistrationEnter(QWidget* field);
    void MRoutingExit(QWidget* field);
    void EDNameExit(QWidget* field);
    void EDName4Exit(QWidget* field);
    void EDDuty1Exit(QWidget* field);
    void EDName1Exit(QWidget* field);
    void EDDuty2Exit(QWidget* field);
    void EDNameChange(TMyEdit* field, const QString& text);
    bool EDNameKeyPress(TMyEdit* field, QKeyEvent* event);
    void EDDateKeyDown(QKeyEvent* event);
    bool entryKeyDown(QKeyEvent* event);
    void requireInput(QWidget* field);
    void moveFocus(QWidget* field);
    QString firstDuty() const;

    std::shared_ptr<EntryRules> m_entryRules;
    bool m_movingFocus = false;
    bool m_completionDetached = false;
    // End of entry rules
};

}  // namespace velmarsk
