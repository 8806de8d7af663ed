#include "entry/entrymask.h"

#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/tmyedit.h"
#include "dialogs/messagebox.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "text/cp1252.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QToolButton>

namespace velmarsk {

EntryMask::EntryMask(FlightBook& book, QWidget* parent)
    : QWidget(parent), m_book(book), m_logbook(book.logbook()), m_settings(book.settings()) {
    setObjectName(QStringLiteral("Client"));
    buildMask();
    bindFields();
    guardStorableText();
    connect(SBName, &QScrollBar::valueChanged, this, [this](int value) {
        if (value != m_crewScrollPos) SetCrewScroll(value);
    });
    // In Browse the mask only shows: a field that gets the focus gives it up at once.
    for (QWidget* w : findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus &&
            (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)))
            w->installEventFilter(this);

    // Every field allowed first: the state then locks what it shows locked (the total).
    SetAllowedTree(this, true);
    setEntryState(Browse);
    // The empty mask is the template of every new flight.
    EDDate->setText(DateText(QDate::currentDate()));
    m_currentFlight.Date = 0;
    SetCrewScroll(1);
    m_currentStringRecord = StringRecord{};
    MaskToRecord(m_templateFlight);
    SetAllowedColorTree(this, quint32(m_settings.integer(setting::SETTINGS::NOTALLOWEDCOLOR)));
    connectEntryRules();
}

EntryMask::~EntryMask() = default;

void EntryMask::setEntryState(EntryStateValue state) {
    m_entryState = state;
    const bool browse = state == Browse;
    PanelTitelNew->setVisible(state == NewFlight);
    PanelTitelChange->setVisible(state == ChangeFlight);
    PanelGesamt->setVisible(browse);
    PanelGesamt->setEnabled(!browse);
    Btnok->setVisible(!browse);
    BtnCancel->setVisible(!browse);
    BtnDown->setVisible(browse);
    BtnUp->setVisible(browse);
    CBCommentHidden->setVisible(!browse);
    emit entryStateChanged(state);
}

void EntryMask::ShowFlight(const FlightRecord& record, const StringRecord& texts, bool hideUnused,
                           bool passwordValid) {
    m_currentFlight = record;
    m_crewCount = m_logbook.crewCountOf(record);
    m_currentStringRecord = texts;
    if (hideUnused) {
        const auto& f = record;
        PanelIFR->setVisible(f.IfrGesDay + f.IfrGesNite + f.SimDay + f.SimNite > 0);
        PanelVFR->setVisible(f.VfrDay + f.VfrNite > 0);
    } else {
        PanelIFR->setVisible(true);
        PanelVFR->setVisible(true);
    }
    RecordToMask(m_currentFlight);
    const bool hidden = record.commentProtected();
    CommentHeader->setText(hidden ? QStringLiteral("&Kommentar (geschützt)") : QStringLiteral("&Kommentar"));
    // The rows and the scroll position agree from here on: the rows show CrewScrollPos on.
    const int pos = m_crewCount > 4 ? std::clamp(m_crewScrollPos, 1, m_crewCount - 3) : 1;
    {
        const QSignalBlocker block(SBName);
        SBName->setRange(1, m_crewCount > 4 ? m_crewCount - 3 : 1);
        SBName->setValue(pos);
    }
    SBName->setVisible(m_crewCount > 4);
    m_crewScrollPos = pos;
    if (pos != 1) FillCrewRows();
    applyCommentFont(hidden && !passwordValid);
}

void EntryMask::ShowEmpty() {
    m_currentStringRecord.Routing.clear();
    m_currentStringRecord.Comment.clear();
    // Nothing of a deleted or discarded crew is left to scroll to.
    m_currentFlight = m_templateFlight;
    m_crewCount = 0;
    m_crewScrollPos = 1;
    {
        const QSignalBlocker block(SBName);
        SBName->setRange(1, 1);
        SBName->setValue(1);
    }
    SBName->hide();
    RecordToMask(m_templateFlight);
    CommentHeader->setText(QStringLiteral("&Kommentar"));
    applyCommentFont(false);
}

void EntryMask::ShowTotal(qint32 total) {
    // The field shows hours and minutes from 0 upward; a total below 0 (possible after deleting
    // flights against a fresh settings file) is shown with its sign rather than as a huge number.
    static const QString kTotalMask = QStringLiteral(" 9999:99;1; ");
    if (total >= 0) {
        if (EDGesTarnoki->editMask() != kTotalMask) EDGesTarnoki->setEditMask(kTotalMask);
        EDGesTarnoki->setMinutes(quint32(total));
    } else {
        // The mask has no place for a sign: the field shows the plain text meanwhile.
        const qint64 m = -qint64(total);
        EDGesTarnoki->setEditMask(QString());
        EDGesTarnoki->setText(QStringLiteral("-%1:%2").arg(m / 60).arg(m % 60, 2, 10, QLatin1Char('0')));
    }
}

void EntryMask::ShowDiagnostics(int shown, int count, int recordNo, qint64 stringPos) {
    SetNr->setText(QString::number(shown));
    MaxNr->setText(QString::number(count));
    DateiPos->setText(QString::number(recordNo));
    LbTest->setText(QString::number(stringPos));
}

void EntryMask::applyCommentFont(bool covered) {
    // A lock in place of the protected text until the password has been given.
    m_commentLock->setVisible(covered);
    MemComment->setReadOnly(covered);
    if (covered) {
        MemComment->setPlainText(QString());
        return;
    }
    QFont f = mappedFont(m_settings.text(setting::DISPLAY::FONTNAME),
                         int(m_settings.integer(setting::DISPLAY::FONTSIZE)));
    f.setItalic(m_settings.truth(setting::DISPLAY::ITALIC));
    f.setBold(m_settings.truth(setting::DISPLAY::BOLD));
    MemComment->setFont(f);
}

void EntryMask::BeginNewFlight() {
    const NameRef empty = nameRef(QString());
    m_currentFlight.Duty.fill(empty);
    m_currentFlight.Name.fill(empty);
    m_currentFlight.Date = m_templateFlight.Date ? m_templateFlight.Date : 1;  // rows are refilled from it
    m_crewCount = 0;
    setEntryState(NewFlight);
    PanelIFR->setVisible(true);
    PanelVFR->setVisible(true);
    SetCrewScroll(1);
    SBName->hide();
    m_currentStringRecord.Routing.clear();
    m_currentStringRecord.Comment.clear();
    applyCommentFont(false);
    CommentHeader->setText(QStringLiteral("&Kommentar"));
    RecordToMask(m_templateFlight);
    EDName[0]->setText(m_settings.text(setting::USER::NAME));
    EDDuty[0]->setText(m_settings.text(setting::USER::FUNCTION));
    EDAircraft->setText(m_settings.text(setting::USER::AIRCRAFT));
    EDRegistration->setText(m_settings.text(setting::USER::REGISTRATION));
    EDDate->setText(DateText(QDate::currentDate()));
    StoreCrewRows();
    startEntry(NewFlight);
}

QWidget* EntryMask::firstEmptyRequiredField() {
    auto emptyText = [](QLineEdit* e) { return e->text().trimmed().isEmpty(); };
    auto* ate = findChild<TEdit5Min*>(QStringLiteral("EDAte"));
    auto* lf1 = findChild<TEdit5Min*>(QStringLiteral("ED1lf"));
    if (m_crewScrollPos == 1 && emptyText(EDDuty[0])) return EDDuty[0];
    if (emptyText(EDAircraft)) return EDAircraft;
    if (emptyText(EDCallsign)) return EDCallsign;
    if (emptyText(EDRegistration)) return EDRegistration;
    if (emptyText(EDTctp)) return EDTctp;
    if (ate->minutes() == 0) return ate;
    if (lf1->minutes() == 0) return lf1;
    return nullptr;
}

bool EntryMask::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && m_entryState == Browse) {
        // The mask is read-only while browsing.
        if (auto* w = qobject_cast<QWidget*>(watched))
            QMetaObject::invokeMethod(w, &QWidget::clearFocus, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void EntryMask::guardStorableText() {
    // The logbook's files hold 8-bit text: a character they cannot hold is refused as it is typed or
    // pasted, and the user is told, rather than changed or lost on saving.
    auto refuse = [this](const QString& text) {
        QString bad;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (!cp1252::canEncode(text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1))) {
                bad = text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
                break;
            }
        MessageBox::tell(
            this, QStringLiteral("Velmarskverwaltung"),
            QStringLiteral("Das Zeichen \u201E%1\u201C kann im Flugbuch nicht gespeichert werden und wurde "
                           "nicht übernommen.")
                .arg(bad),
            MessageBox::Icon::Warning);
    };
    auto storable = [](const QString& text) {
        QString out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString c = text.mid(i, n);
            if (cp1252::canEncode(c)) out += c;
            i += n - 1;
        }
        return out;
    };
    for (QPlainTextEdit* memo : {MRouting, MemComment}) {
        connect(memo, &QPlainTextEdit::textChanged, this, [memo, refuse, storable] {
            const QString text = memo->toPlainText();
            if (cp1252::canEncode(text)) return;
            const QString kept = storable(text);
            // The caret stays where the refused character would have gone.
            const int caret = int(storable(text.left(memo->textCursor().position())).size());
            const QSignalBlocker block(memo);
            memo->setPlainText(kept);
            QTextCursor c = memo->textCursor();
            c.setPosition(caret);
            memo->setTextCursor(c);
            refuse(text);
        });
    }
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        connect(edit, &QLineEdit::textEdited, this, [edit, refuse, storable](const QString& text) {
            if (cp1252::canEncode(text)) return;
            const int caret = int(storable(text.left(edit->cursorPosition())).size());
            edit->setText(storable(text));
            edit->setCursorPosition(std::min<int>(caret, int(edit->text().size())));
            refuse(text);
        });
    }
}

}  // namespace velmarsk
