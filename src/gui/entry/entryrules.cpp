// The rules of the entry mask while a flight is entered or changed: which fields are open, which
// must not be left empty, which are filled from others, the crew rows and name completion, and the
// arrow keys.
//
// How the keys reach the rules: the entry fields raise BeforeExit in their own event() on Tab and
// Shift+Tab (time fields also on Up and Down), before the focus moves. The fields do not use Up and
// Down, so these keys travel on to the mask, where a filter moves to the previous or next field.
// A time field therefore finishes its own before-exit work before the mask acts on the arrow.
// Keys that change what a crew name field receives (upper case at the start, Backspace over a
// completion) are filtered on the name fields themselves, before they handle them.
//
// Focus moves made by the rules (back to a required field, on to the next crew row) happen while
// Qt is moving the focus elsewhere. The field Qt was moving to then loses the focus without ever
// having had it; its exit handler must not run for that, so exits are ignored while the rules move
// the focus.
#include "controls/fieldstate.h"
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/tmyedit.h"
#include "dates/dateconversionerror.h"
#include "dialogs/errormessage.h"
#include "dialogs/messagebox.h"
#include "entry/entrymask.h"
#include "entry/spacedashes.h"
#include "settings/settings.h"
#include "storage/logbook.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextDocument>
#include <algorithm>
#include <utility>

namespace velmarsk {
namespace {

const QString kRequiredText = QStringLiteral("Eingabe ist erforderlich");
const QString kRequiredCaption = QStringLiteral("Velmarskverwaltung");

// Rows 1..4 reach crew slots 1..8, so the first row shows slot 5 at most.
constexpr int kLastScrollPos = 5;

bool isCommandKey(const QKeyEvent* event) {
    return (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

QStringList fieldNames(const char* names) {
    return QString::fromLatin1(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace

// The fields the rules read and set, looked up once, and the filters on the mask and fields.
class EntryMask::EntryRules : public QObject {
public:
    // The values the allowed states depend on: minutes of the time fields (0 when empty) and
    // whether the crew texts that open the next row hold more than blanks.
    struct Values {
        quint32 ate = 0, lf1 = 0, vd = 0, vn = 0, id = 0, in = 0, sd = 0, sn = 0, md = 0, hd = 0, ed = 0,
                en = 0, ll = 0;
        bool firstDutyIp = false;
        std::array<bool, 4> dutyFilled{};
        std::array<bool, 4> nameFilled{};
    };
    using Rule = bool (*)(const Values&);

    explicit EntryRules(EntryMask& mask);

    Values read() const;
    void apply() const;

    TEdit5Min* atd = nullptr;
    TEdit5Min* ata = nullptr;
    TEdit5Min* ate = nullptr;
    TEdit5Min* lf1 = nullptr;
    TEdit5Min* ip = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T>
    T* field(const QString& name) const {
        T* w = m_mask.findChild<T*>(name);
        Q_ASSERT_X(w, "EntryRules", qPrintable(name));
        return w;
    }

    EntryMask& m_mask;
    std::vector<std::pair<QWidget*, Rule>> m_allowed;  // in the order they are applied
    std::vector<std::pair<TEdit5Min*, quint32 Values::*>> m_minutes;
};

EntryMask::EntryRules::EntryRules(EntryMask& mask) : m_mask(mask) {
    using V = Values;
    // Which field is open when. The approach counters without precision follow those with it, so
    // they share a row and its state.
    static const struct {
        const char* fields;
        Rule allowed;
    } kAllowed[] = {
        {"EDIp", [](const V& v) { return v.firstDutyIp; }},
        {"ED2lf", [](const V& v) { return v.ate > v.lf1; }},
        {"EDIfrGesDay", [](const V& v) { return v.ate > v.vd + v.vn + v.in && v.sd == 0 && v.sn == 0; }},
        {"EDIfrGesNite", [](const V& v) { return v.ate > v.vd + v.vn + v.id && v.sd == 0 && v.sn == 0; }},
        {"EdSimDay", [](const V& v) { return v.vd + v.vn + v.id + v.in == 0 && v.ate > v.sn; }},
        {"EDSimNite", [](const V& v) { return v.vd + v.vn + v.id + v.in == 0 && v.ate > v.sd; }},
        {"EDImcDay", [](const V& v) { return v.hd < v.id; }},
        {"EdImcNite", [](const V& v) { return v.in > 0; }},
        {"EdHoodDay", [](const V& v) { return v.id > v.md; }},
        {"EDPrecDay EDNPrecDay", [](const V& v) { return v.id + v.sd > 0; }},
        {"EDPrecNite EDNPrecNite", [](const V& v) { return v.in + v.sn > 0; }},
        {"EDVfrDay", [](const V& v) { return v.ate > v.vn + v.id + v.in && v.sd == 0 && v.sn == 0; }},
        {"EDLlDay", [](const V& v) { return v.vd > 0; }},
        {"EDLlNavDay", [](const V& v) { return v.ll > 0; }},
        {"EDEmergDay EDFormDay EDTfDay", [](const V& v) { return v.vd > 0; }},
        {"EDArDay", [](const V& v) { return v.ed > 0; }},
        {"EDVertDay EDWinchDay EDSearchDay EDConfDay EDExtDay EDLandDay",
         [](const V& v) { return v.vd > 0; }},
        {"EDVfrNite", [](const V& v) { return v.ate > v.vd + v.id + v.in && v.sd == 0 && v.sn == 0; }},
        {"EDNavNite EDEmergNite EDFormNite EDTfNite", [](const V& v) { return v.vn > 0; }},
        {"EDArNite", [](const V& v) { return v.en > 0; }},
        {"EDVertNite EDWinchNite EDSearchNite EDConfNite EDExtNite EDLandNite",
         [](const V& v) { return v.vn > 0; }},
        {"EDDuty3", [](const V& v) { return v.nameFilled[1]; }},
        {"EDDuty4", [](const V& v) { return v.nameFilled[2]; }},
        {"EDName2", [](const V& v) { return v.dutyFilled[1]; }},
        {"EDName3", [](const V& v) { return v.dutyFilled[2]; }},
        {"EDName4", [](const V& v) { return v.dutyFilled[3]; }},
    };
    static const struct {
        const char* field;
        quint32 V::*value;
    } kMinutes[] = {
        {"EDAte", &V::ate},      {"ED1lf", &V::lf1},       {"EDVfrDay", &V::vd},   {"EDVfrNite", &V::vn},
        {"EDIfrGesDay", &V::id}, {"EDIfrGesNite", &V::in}, {"EdSimDay", &V::sd},   {"EDSimNite", &V::sn},
        {"EDImcDay", &V::md},    {"EdHoodDay", &V::hd},    {"EDEmergDay", &V::ed}, {"EDEmergNite", &V::en},
        {"EDLlDay", &V::ll},
    };
    for (const auto& row : kAllowed)
        for (const QString& name : fieldNames(row.fields))
            m_allowed.emplace_back(field<QWidget>(name), row.allowed);
    for (const auto& m : kMinutes)
        m_minutes.emplace_back(field<TEdit5Min>(QString::fromLatin1(m.field)), m.value);
    atd = field<TEdit5Min>(QStringLiteral("EDAtd"));
    ata = field<TEdit5Min>(QStringLiteral("EDAta"));
    ate = field<TEdit5Min>(QStringLiteral("EDAte"));
    lf1 = field<TEdit5Min>(QStringLiteral("ED1lf"));
    ip = field<TEdit5Min>(QStringLiteral("EDIp"));
}

EntryMask::EntryRules::Values EntryMask::EntryRules::read() const {
    Values v;
    for (const auto& [edit, value] : m_minutes) v.*value = edit->minutes();
    v.firstDutyIp = m_mask.firstDuty() == QLatin1String("IP");
    for (std::size_t r = 0; r < 4; ++r) {
        v.dutyFilled[r] = !m_mask.EDDuty[r]->text().trimmed().isEmpty();
        v.nameFilled[r] = !m_mask.EDName[r]->text().trimmed().isEmpty();
    }
    return v;
}

void EntryMask::EntryRules::apply() const {
    const Values v = read();
    for (const auto& [w, allowed] : m_allowed) w->setProperty("Allowed", allowed(v));
}

bool EntryMask::EntryRules::eventFilter(QObject* watched, QEvent* event) {
    if (m_mask.m_entryState == Browse) return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == &m_mask) return m_mask.entryKeyDown(key);
        for (TMyEdit* name : m_mask.EDName)
            if (watched == name) return m_mask.EDNameKeyPress(name, key);
    } else if (event->type() == QEvent::FocusOut && watched == m_mask.MRouting &&
               isFieldFocusChange(static_cast<QFocusEvent*>(event))) {
        m_mask.runHandler(&EntryMask::MRoutingExit, m_mask.MRouting, true);
    }
    return false;
}

void EntryMask::connectEntryRules() {
    m_entryRules = std::make_shared<EntryRules>(*this);
    QObject* context = m_entryRules.get();  // connections end with the rules, before the fields go

    // Handlers of the fields: on entering, on leaving, and before leaving by the keyboard.
    static const struct {
        const char* fields;
        FieldHandler enter;
        FieldHandler exit;
        FieldHandler beforeExit;
    } kHandlers[] = {
        {"EDDuty1", nullptr, &EntryMask::EDDuty1Exit, &EntryMask::EDNameExit},
        {"EDName1", nullptr, &EntryMask::EDName1Exit, &EntryMask::EDNameExit},
        {"EDDuty2", nullptr, &EntryMask::EDDuty2Exit, &EntryMask::EDNameExit},
        {"EDName2 EDName3 EDDuty3 EDDuty4", nullptr, nullptr, &EntryMask::EDNameExit},
        {"EDName4", nullptr, &EntryMask::EDName4Exit, &EntryMask::EDNameExit},
        {"EDAircraft EDTctp", nullptr, &EntryMask::EmptyNotAllowed, nullptr},
        {"EDCallsign", nullptr, &EntryMask::EDCallsignExit, nullptr},
        {"EDRegistration", &EntryMask::EDRegistrationEnter, &EntryMask::EmptyNotAllowed, nullptr},
        {"EDAtd", nullptr, &EntryMask::ClockTimeTest, nullptr},
        {"EDAta", nullptr, &EntryMask::ClockTimeTest, &EntryMask::EDAtaBeforeExit},
        {"EDAte", nullptr, &EntryMask::EmptyNotAllowed, &EntryMask::EDAteBeforeExit},
        {"ED1lf", nullptr, &EntryMask::EmptyTest, nullptr},
        {"EDVfrDay EDVfrNite EDNavDay EDLlDay EDIfrGesDay EDIfrGesNite EDImcDay EdImcNite EdSimDay EDSimNite",
         nullptr, &EntryMask::TestEnable, &EntryMask::TestEnable},
        {"EDEmergDay EDEmergNite EdHoodDay", nullptr, &EntryMask::TestEnable, nullptr},
    };
    auto bind = [this, context](auto* field, FieldHandler enter, FieldHandler exit, FieldHandler beforeExit) {
        using Field = std::remove_pointer_t<decltype(field)>;
        if (enter)
            connect(field, &Field::Enter, context,
                    [this, enter](QWidget* w) { runHandler(enter, w, false); });
        if (exit)
            connect(field, &Field::Exit, context, [this, exit](QWidget* w) { runHandler(exit, w, true); });
        if (beforeExit)
            connect(field, &Field::BeforeExit, context,
                    [this, beforeExit](QWidget* w) { runHandler(beforeExit, w, false); });
    };
    for (const auto& row : kHandlers) {
        for (const QString& name : fieldNames(row.fields)) {
            QWidget* w = findChild<QWidget*>(name);
            if (auto* time = qobject_cast<TEdit5Min*>(w))
                bind(time, row.enter, row.exit, row.beforeExit);
            else if (auto* text = qobject_cast<TEditName*>(w))
                bind(text, row.enter, row.exit, row.beforeExit);
            else if (auto* plain = qobject_cast<TMyEdit*>(w))
                bind(plain, row.enter, row.exit, row.beforeExit);
            else
                Q_ASSERT_X(false, "connectEntryRules", qPrintable(name));
        }
    }

    for (TMyEdit* name : EDName) {
        name->installEventFilter(context);
        connect(name, &QLineEdit::textEdited, context, [this, name](const QString& text) {
            if (m_entryState != Browse) EDNameChange(name, text);
        });
    }
    MRouting->installEventFilter(context);
    installEventFilter(context);

    // A scroll by the user first keeps what the rows hold, then shows other slots (the refill is
    // connected earlier), then the rules follow the rows now shown.
    connect(SBName, &QAbstractSlider::actionTriggered, context, [this] {
        if (m_entryState != Browse) StoreCrewRows();
    });
    connect(SBName, &QAbstractSlider::valueChanged, context, [this] {
        if (m_entryState != Browse) ApplyEntryRules();
    });
}

void EntryMask::runHandler(FieldHandler handler, QWidget* field, bool isExit) {
    if (m_entryState == Browse || (isExit && m_movingFocus)) return;
    (this->*handler)(field);
}

void EntryMask::startEntry(EntryStateValue state) {
    setEntryState(state);
    PanelIFR->setVisible(true);
    PanelVFR->setVisible(true);
    if (state == NewFlight) {
        // A new flight's crew is what its rows show, from slot 1 on.
        const NameRef empty = nameRef(QString());
        m_currentFlight.Duty.fill(empty);
        m_currentFlight.Name.fill(empty);
        m_crewScrollPos = 1;
        const QSignalBlocker block(SBName);
        SBName->setValue(1);
    }
    StoreCrewRows();
    FillCrewRows();  // a gap closed by the store moves members up; the rows must show them there
    ApplyEntryRules();
    EDDate->setFocus(Qt::OtherFocusReason);
    // The date is typed over at once, as on every field reached by Tab; with the caret after the
    // last place, typed digits would go nowhere.
    EDDate->selectAll();
}

void EntryMask::ApplyEntryRules() {
    {
        // While entering, the bar reaches one row past the last member, so a new one can be added.
        const QSignalBlocker block(SBName);
        if (m_crewCount > 3) {
            SBName->setRange(1, std::min(m_crewCount - 2, kLastScrollPos));
            SBName->setValue(m_crewScrollPos);
        }
        SBName->setVisible(m_crewCount > 3);
    }
    m_entryRules->apply();
}

bool EntryMask::IsFilled(QWidget* field) {
    if (m_entryState == Browse || QApplication::focusWidget() == BtnCancel) return true;
    if (auto* time = qobject_cast<TEdit5Min*>(field)) return time->minutes() != 0;
    if (auto* masked = qobject_cast<MaskedLineEdit*>(field)) return !masked->text().trimmed().isEmpty();
    return true;
}

QString EntryMask::firstDuty() const {
    // The first crew member's duty as it stands: its row while the rows start at slot 1, else the
    // slot as last stored.
    return m_crewScrollPos == 1 ? EDDuty[0]->text().trimmed() : nameText(m_currentFlight.Duty[0]).trimmed();
}

void EntryMask::moveFocus(QWidget* field) {
    if (QApplication::focusWidget() == BtnCancel) return;  // a cancel is never held up
    const QScopedValueRollback<bool> moving(m_movingFocus, true);
    field->setFocus(Qt::TabFocusReason);
}

void EntryMask::requireInput(QWidget* field) {
    MessageBox::tell(this, kRequiredCaption, kRequiredText, MessageBox::Icon::None);
    moveFocus(field);
}

void EntryMask::TestEnable(QWidget*) {
    if (m_entryState != Browse) ApplyEntryRules();
}

void EntryMask::EmptyNotAllowed(QWidget* field) {
    if (!IsFilled(field)) requireInput(field);
}

void EntryMask::EmptyTest(QWidget* field) {
    if (m_entryState == Browse) return;
    if (IsFilled(field))
        ApplyEntryRules();
    else
        requireInput(field);
}

void EntryMask::ClockTimeTest(QWidget* field) {
    if (QApplication::focusWidget() == BtnCancel) return;  // a cancel is never held up
    if (static_cast<TEdit5Min*>(field)->minutes() < kMinutesPerDay) return;
    MessageBox::tell(this, kRequiredCaption, clockTimeRefusal(field), MessageBox::Icon::None);
    moveFocus(field);
}

void EntryMask::EDAtaBeforeExit(QWidget*) {
    if (m_entryRules->ate->minutes() != 0) return;
    const quint32 atd = m_entryRules->atd->minutes();
    const quint32 ata = m_entryRules->ata->minutes();
    // No flight time from a time that is no clock time: leaving the field refuses it.
    if (atd >= kMinutesPerDay || ata >= kMinutesPerDay) return;
    m_entryRules->ate->setMinutes(atd > ata ? ata + kMinutesPerDay - atd : ata - atd);  // past midnight
}

void EntryMask::EDAteBeforeExit(QWidget*) {
    const quint32 ate = m_entryRules->ate->minutes();
    if (m_entryRules->lf1->minutes() == 0) m_entryRules->lf1->setMinutes(ate);
    if (firstDuty() == QLatin1String("IP") && m_entryRules->ip->minutes() == 0)
        m_entryRules->ip->setMinutes(ate);
    ApplyEntryRules();
}

void EntryMask::EDCallsignExit(QWidget*) {
    if (!IsFilled(EDCallsign)) {
        requireInput(EDCallsign);
        return;
    }
    // Callsigns like ABC7123 name the aircraft: its number completes the registration's default
    // prefix, as long as nothing has been added to the prefix yet.
    const QString suffix = EDCallsign->text().mid(3, 4);
    bool isNumber = false;
    const int number = suffix.trimmed().toInt(&isNumber);
    if (!isNumber || number <= 7000) return;
    const QString prefix = m_settings.text(setting::USER::REGISTRATION);
    if (EDRegistration->text() != EDRegistration->mask().conform(prefix)) return;
    EDRegistration->setText(prefix + suffix);
    moveFocus(EDTctp);
}

void EntryMask::EDRegistrationEnter(QWidget*) {
    // Typing replaces what follows the default prefix; the caret stays right after it.
    const int length = EDRegistration->maxLength();
    const int prefix = std::min(int(m_settings.text(setting::USER::REGISTRATION).size()), length);
    EDRegistration->setSelection(length, prefix - length);
}

void EntryMask::MRoutingExit(QWidget*) {
    if (!MRouting->document()->isModified()) return;
    const QString text = MRouting->toPlainText();
    const QString spaced = SpaceDashes(text);
    if (spaced == text) return;
    MRouting->setPlainText(spaced);
    MRouting->document()->setModified(true);
}

void EntryMask::EDNameExit(QWidget* field) {
    if (static_cast<QLineEdit*>(field)->text().trimmed().isEmpty()) {
        // A member was taken out: close the gap and keep a free row below the last member.
        StoreCrewRows();
        int p = m_crewScrollPos;
        if (p + 2 > m_crewCount && p > 1) --p;
        if (m_crewCount > 3) {
            const QSignalBlocker block(SBName);
            SBName->setRange(1, std::min(m_crewCount - 2, kLastScrollPos));
            SBName->setValue(p);
        }
        SetCrewScroll(p);
    }
    TestEnable(field);
}

void EntryMask::EDName4Exit(QWidget* field) {
    StoreCrewRows();
    // The store may have closed a gap; rows left as they were would write members back into the
    // wrong slots.
    FillCrewRows();
    if (m_crewScrollPos < kLastScrollPos) {
        if (m_crewCount - m_crewScrollPos > 2) {
            // The fourth row is filled: the rows move up and an empty row waits for the next member.
            moveFocus(EDDuty[3]);
            SetCrewScroll(m_crewScrollPos + 1);
        } else if (m_crewCount < kCrewSlots) {
            moveFocus(EDDuty[3]);
        }
    }
    TestEnable(field);
}

void EntryMask::EDDuty1Exit(QWidget* field) {
    if (m_crewScrollPos > 1) {
        if (QApplication::focusWidget() == EDDate) {
            // Backwards out of the first row: the rows move down by one. What the rows hold is
            // kept first, or the refill would drop an edit made since the last store.
            StoreCrewRows();
            SetCrewScroll(m_crewScrollPos - 1);
            moveFocus(m_crewScrollPos == 1 ? static_cast<QWidget*>(EDDuty[0]) : EDName[0]);
        } else {
            moveFocus(EDName[0]);
        }
    }
    EDName1Exit(field);
}

void EntryMask::EDName1Exit(QWidget* field) {
    // For the name a plain edit is always filled; for the first duty this makes it required.
    if (m_crewScrollPos == 1) EmptyTest(field);
}

void EntryMask::EDDuty2Exit(QWidget*) {
    if (QApplication::focusWidget() == EDDuty[0] && m_crewScrollPos > 1) moveFocus(EDName[0]);
}

void EntryMask::EDNameChange(TMyEdit* field, const QString& text) {
    if (m_completionDetached || text.isEmpty()) return;
    const int caret = field->cursorPosition();
    if (caret <= 0) return;
    const QString prefix = caret == 1 ? text : text.left(caret);
    const QStringList& names = m_logbook.crew().names();
    const auto found = std::find_if(names.cbegin(), names.cend(),
                                    [&prefix](const QString& name) { return name.startsWith(prefix); });
    if (found == names.cend()) return;
    field->setText(*found);
    const int end = int(field->text().size());
    field->setSelection(end, std::min(int(prefix.size()), end) - end);  // caret after the prefix
}

bool EntryMask::EDNameKeyPress(TMyEdit* field, QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace) {
        // The completion goes first without completing again; then Backspace does its usual work.
        if (field->hasSelectedText()) {
            const QScopedValueRollback<bool> detached(m_completionDetached, true);
            field->del();
        }
        return false;
    }
    const QString typed = event->text();
    if (typed.size() != 1 || !typed.at(0).isPrint() || isCommandKey(event)) return false;
    const int caret = field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    const QChar upper = typed.at(0).toUpper();
    if (caret != 0 || upper == typed.at(0)) return false;
    QKeyEvent upperKey(event->type(), event->key(), event->modifiers(), QString(upper), event->isAutoRepeat(),
                       event->count());
    QCoreApplication::sendEvent(field, &upperKey);
    return true;
}

void EntryMask::EDDateKeyDown(QKeyEvent* event) {
    try {
        const QDate date = FieldDate(EDDate->text()).addDays(event->key() == Qt::Key_Up ? 1 : -1);
        EDDate->setText(DateText(date));
    } catch (const DateConversionError&) {
        showCurrentError(this);  // the text stays as it was
    }
}

bool EntryMask::entryKeyDown(QKeyEvent* event) {
    if ((event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) || isCommandKey(event)) return false;
    QWidget* focused = QApplication::focusWidget();
    if (focused == MRouting || focused == MemComment) return false;
    if (focused == EDDate && m_entryState == NewFlight) {
        EDDateKeyDown(event);
        return false;
    }
    ApplyEntryRules();
    focusNextPrevChild(event->key() == Qt::Key_Down);
    return true;
}

}  // namespace velmarsk
