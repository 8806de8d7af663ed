#pragma once

#include "storage/flightrecord.h"
#include "storage/stringrecord.h"

#include <QWidget>
#include <array>
#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace velmarsk {

class FlightBook;
class Logbook;
class Settings;
class TEdit5Min;
class TEditName;
class TMyEdit;

enum EntryStateValue : quint8 { NewFlight = 0, Browse = 1, ChangeFlight = 2 };

// The entry mask: every field of one flight, the transfer between the fields and a flight record,
// and the rules that hold while a flight is entered or changed. It shows; the window around it
// decides what is shown and stores what was entered.
class EntryMask : public QWidget {
    Q_OBJECT

public:
    EntryMask(FlightBook& book, QWidget* parent = nullptr);
    ~EntryMask() override;

    EntryStateValue EntryState() const { return m_entryState; }
    // Titles, buttons and the total as the state asks; the rules act only outside Browse.
    void setEntryState(EntryStateValue state);

    // The flight shown, or while entering the flight being entered (its crew slots beyond the four
    // rows live here), with its texts.
    const FlightRecord& CurrentFlight() const { return m_currentFlight; }
    const StringRecord& CurrentStringRecord() const { return m_currentStringRecord; }
    int CrewCount() const { return m_crewCount; }
    int CrewScrollPos() const { return m_crewScrollPos; }

    // Shows a stored flight; `covered` hides a protected comment behind the lock.
    void ShowFlight(const FlightRecord& record, const StringRecord& texts, bool hideUnused, bool covered);
    // The empty mask of an empty logbook.
    void ShowEmpty();
    void ShowTotal(qint32 minutes);
    void ShowDiagnostics(int shown, int count, int recordNo, qint64 stringPos);
    void applyCommentFont(bool covered);

    // Mask transfer.
    void RecordToMask(const FlightRecord& record);
    void MaskToRecord(FlightRecord& record);
    void StoreCrewRows();
    void FillCrewRows();
    void SetCrewScroll(int slot);

    // Entry: the empty mask with the user's defaults, or the shown flight as it stands.
    void BeginNewFlight();
    // Puts the mask into NewFlight or ChangeFlight over what it shows: buttons, both category
    // panels, the crew rows as the working crew, the field rules, focus to the date.
    void startEntry(EntryStateValue state);
    void ApplyEntryRules();
    bool IsFilled(QWidget* field);
    // The first required field that is empty, or nullptr.
    QWidget* firstEmptyRequiredField();
    // The first field whose value the record cannot hold, with the message saying so.
    std::pair<QWidget*, QString> firstUnstorableValue() const;
    // The entered flight, complete, as it is to be stored; raises the error of a field it cannot
    // take (a wrong date, a text the files cannot hold).
    FlightRecord TakeFlight(StringRecord& texts);

signals:
    void entryStateChanged(EntryStateValue state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        const FieldInfo* field;
        QWidget* control;
    };
    static quint32 maskValue(const Binding& b);
    // The name under which the user sees a field: its label, or group, column and row.
    QString fieldCaption(QWidget* field) const;
    QString clockTimeRefusal(QWidget* field) const;

    void buildMask();
    QWidget* buildCategoryGroup(QGroupBox* box, bool vfr);
    void bindFields();
    void guardStorableText();
    QString nameText(NameRef ref) const;
    NameRef nameRef(const QString& text);

    FlightBook& m_book;
    Logbook& m_logbook;
    Settings& m_settings;

    EntryStateValue m_entryState = Browse;
    int m_crewScrollPos = 1;
    FlightRecord m_templateFlight;
    FlightRecord m_currentFlight;
    StringRecord m_currentStringRecord;
    int m_crewCount = 0;
    QLabel* m_commentLock = nullptr;
    std::vector<Binding> m_bindings;  // scalar record fields and their controls, in record order

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
    // The window's command buttons sit in the mask, beside the IFR group.
    QPushButton* Btnok = nullptr;
    QPushButton* BtnCancel = nullptr;
    QToolButton* BtnDown = nullptr;
    QToolButton* BtnUp = nullptr;
    QFrame* PanelDebug = nullptr;
    QLabel* SetNr = nullptr;
    QLabel* MaxNr = nullptr;
    QLabel* DateiPos = nullptr;
    QLabel* LbTest = nullptr;

private:
    class EntryRules;
    using FieldHandler = void (EntryMask::*)(QWidget*);

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
};

}  // namespace velmarsk
