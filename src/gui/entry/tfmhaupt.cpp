#include "entry/tfmhaupt.h"

#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmyedit.h"
#include "dialogs/errormessage.h"
#include "dialogs/guiinteraction.h"
#include "dialogs/messagebox.h"
#include "evaluation/tfmsumme.h"
#include "flightbook/flightbook.h"
#include "maintenance/tfmindexneu.h"
#include "maintenance/tfmordnen.h"
#include "maintenance/tfmsicherung.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "text/cp1252.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFontDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QToolButton>

namespace velmarsk {
namespace {

// Items that exist only in Browse.
const char* const kBrowseOnlyItems[] = {
    "FlugAendern",  "NeuerFlug", "Suchen",   "Weitersuchen", "Summe",       "Grafik",     "Flugdrucken",
    "Flugloeschen", "Gehezu",    "Indexneu", "Dateiordnen",  "Exportieren", "Importieren"};

}  // namespace

TFMHaupt::TFMHaupt(FlightBook& book, GuiInteraction& ui, QWidget* parent)
    : QMainWindow(parent), m_book(book), m_logbook(book.logbook()), m_settings(book.settings()), m_ui(ui) {
    setObjectName(QStringLiteral("FMHaupt"));
    setWindowTitle(QStringLiteral("Velmarskverwaltung"));
    setFont(mappedFont(QStringLiteral("MS Sans Serif"), font().pointSize()));
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, [this] { m_tickSeen = true; });

    buildMask();
    buildMenus();
    bindFields();
    SetMainForm(this);
    m_ui.setMainWindow(this);
    m_ui.setBeforeMessage([this] { stopAutoRepeat(); });

    connect(menuAction(QStringLiteral("Indexneu")), &QAction::triggered, this, &TFMHaupt::IndexneuClick);
    connect(menuAction(QStringLiteral("Dateiordnen")), &QAction::triggered, this,
            [this] { DateiordnenClick(true); });
    connect(menuAction(QStringLiteral("Schliessen")), &QAction::triggered, this, &QWidget::close);
    connect(menuAction(QStringLiteral("Sicherungwiederherstellen")), &QAction::triggered, this, [this] {
        if (EntryState() != Browse) return;  // a flight being entered is not thrown away
        if (TFMSicherung::RestoreBackup(m_book, this)) ShowFlight(m_logbook.FlightCount());
        if (!m_logbook.isOpen()) close();  // the files did not open again; the user has been told
    });
    const std::pair<const char*, void (TFMHaupt::*)()> commands[] = {
        {"NeuerFlug", &TFMHaupt::NeuerFlugClick},       {"FlugAendern", &TFMHaupt::FlugAendernClick},
        {"Flugloeschen", &TFMHaupt::FlugloeschenClick}, {"Gehezu", &TFMHaupt::GehezuClick},
        {"Flugdrucken", &TFMHaupt::FlugdruckenClick},   {"Druckerwaehlen", &TFMHaupt::DruckerwaehlenClick},
        {"Optionen", &TFMHaupt::OpenOptionsDialog},     {"Summe", &TFMHaupt::SummeClick},
        {"Suchen", &TFMHaupt::OpenSearchDialog},        {"Weitersuchen", &TFMHaupt::ContinueSearch},
    };
    for (const auto& [name, handler] : commands)
        connect(menuAction(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, h = handler] { runCommand(h); });
    // Commands whose windows are not part of this version yet.
    for (const char* name : {"Exportieren", "Importieren", "Grafik", "Info", "CrewInfo1"})
        connect(menuAction(QString::fromLatin1(name)), &QAction::triggered, this, [this] {
            MessageBox::tell(this, QStringLiteral("Velmarskverwaltung"),
                             QStringLiteral("Diese Funktion ist in dieser Version noch nicht verfügbar."),
                             MessageBox::Icon::Information);
        });
    connect(Btnok, &QPushButton::clicked, this, [this] { runCommand(&TFMHaupt::BtnokClick); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { runCommand(&TFMHaupt::BtnCancelClick); });
    connect(CBHasPassword, &QCheckBox::clicked, this, &TFMHaupt::CBHasPasswordClick);
    guardStorableText();
    connect(SBName, &QScrollBar::valueChanged, this, [this](int value) {
        if (value != m_crewScrollPos) SetCrewScroll(value);
    });
    MemComment->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MemComment, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PUComment->exec(MemComment->mapToGlobal(p)); });
    // The fields offer printing and export like the window around them, in every state, instead of
    // the edit menu of the toolkit.
    for (QWidget* w : maskArea()->findChildren<QWidget*>()) {
        if (w == MemComment || !(qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))) continue;
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& p) { PUNormal->exec(w->mapToGlobal(p)); });
    }
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        QMenu* menu = m_entryState == Browse ? PUNormal : PUDummy;
        if (!menu->isEmpty()) menu->exec(mapToGlobal(p));
    });
    // In Browse the mask only shows: a field that gets the focus gives it up at once.
    for (QWidget* w : maskArea()->findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus &&
            (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)))
            w->installEventFilter(this);

    // Window creation as the program starts.
    setEntryState(Browse);
    SetAllowedTree(maskArea(), true);
    EnableButtons();
    EDDate->setText(DateText(QDate::currentDate()));
    m_currentFlight.Date = 0;
    SetCrewScroll(1);
    m_currentStringRecord = StringRecord{};
    MaskToRecord(m_templateFlight);
    m_hideUnused = m_settings.truth(setting::SETTINGS::HIDEUNUSED);
    ShowFlight(m_logbook.FlightCount());
    SetAllowedColorTree(maskArea(), quint32(m_settings.integer(setting::SETTINGS::NOTALLOWEDCOLOR)));

    // Every field at its natural size; the comment box takes what the screen leaves.
    applySizeLimits();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    connectEntryRules();
}

TFMHaupt::~TFMHaupt() {
    m_ui.setBeforeMessage({});
}

qint32 TFMHaupt::RunningTotal() const {
    return m_book.RunningTotal();
}

QAction* TFMHaupt::menuAction(const QString& name) const {
    return menuBar()->findChild<QAction*>(name);
}

void TFMHaupt::setEntryState(EntryStateValue state) {
    m_entryState = state;
}

void TFMHaupt::EnableButtons() {
    const bool browse = m_entryState == Browse;
    PanelTitelNew->setVisible(m_entryState == NewFlight);
    PanelTitelChange->setVisible(m_entryState == ChangeFlight);
    PanelGesamt->setVisible(browse);
    PanelGesamt->setEnabled(!browse ? true : false);
    for (const char* name : kBrowseOnlyItems)
        if (QAction* a = menuAction(QString::fromLatin1(name))) a->setEnabled(browse);
    Btnok->setVisible(!browse);
    BtnCancel->setVisible(!browse);
    BtnDown->setVisible(browse);
    BtnUp->setVisible(browse);
    CBCommentHidden->setVisible(!browse);
}

void TFMHaupt::updateTotalField() {
    // The field shows hours and minutes from 0 upward; a total below 0 (possible after deleting
    // flights against a fresh settings file) is shown with its sign rather than as a huge number.
    static const QString kTotalMask = QStringLiteral(" 9999:99;1; ");
    const qint32 total = RunningTotal();
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

void TFMHaupt::updateDiagnostics() {
    SetNr->setText(QString::number(m_currentPosition));
    MaxNr->setText(QString::number(m_logbook.FlightCount()));
    DateiPos->setText(QString::number(m_logbook.index().RecNoAt(m_currentPosition)));
    LbTest->setText(QString::number(m_logbook.index().StrPosAt(m_currentPosition)));
}

void TFMHaupt::ShowFlight(int n) {
    const bool hasPassword = m_logbook.HasPassword();
    CBHasPassword->setVisible(hasPassword);
    if (!hasPassword) m_passwordValid = true;
    CBHasPassword->setChecked(m_passwordValid);
    if (m_logbook.ShowProtected() && !m_passwordValid && !AskPassword()) {
        // Showing data is guarded and the password was refused: the program ends, showing nothing.
        m_endRequested = true;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    CBHasPassword->setChecked(m_passwordValid);
    updateTotalField();

    auto setEnabled = [this](const char* name, bool on) {
        menuAction(QString::fromLatin1(name))->setEnabled(on);
    };
    const int count = m_logbook.FlightCount();
    bool covered = false;
    if (count < 1) {
        m_currentPosition = 0;
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
        BtnDown->setEnabled(false);
        BtnUp->setEnabled(false);
        for (const char* name : {"Flugloeschen", "FlugAendern", "Gehezu", "Summe"}) setEnabled(name, false);
        CommentHeader->setText(QStringLiteral("&Kommentar"));
    } else {
        n = std::min(std::max(n, 1), count);
        BtnDown->setEnabled(n > 1);
        BtnUp->setEnabled(n < count);
        const bool browse = m_entryState == Browse;
        for (const char* name : {"Flugloeschen", "FlugAendern", "Gehezu", "Summe"}) setEnabled(name, browse);
        m_logbook.ReadFlight(n, m_currentFlight);
        m_crewCount = m_logbook.crewCountOf(m_currentFlight);
        m_logbook.ReadStringRecord(n, m_currentStringRecord);
        if (m_hideUnused) {
            const auto& f = m_currentFlight;
            PanelIFR->setVisible(f.IfrGesDay + f.IfrGesNite + f.SimDay + f.SimNite > 0);
            PanelVFR->setVisible(f.VfrDay + f.VfrNite > 0);
        } else {
            PanelIFR->setVisible(true);
            PanelVFR->setVisible(true);
        }
        m_currentPosition = n;
        RecordToMask(m_currentFlight);
        const bool hidden = m_currentFlight.CommentHidden != 0;
        CommentHeader->setText(hidden ? QStringLiteral("&Kommentar (geschützt)")
                                      : QStringLiteral("&Kommentar"));
        covered = hidden && !m_passwordValid;
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
    }
    applyCommentFont(covered);
    updateDiagnostics();
    emit flightShown(m_currentPosition);
}

void TFMHaupt::applyCommentFont(bool covered) {
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

void TFMHaupt::DisplayNext(int step) {
    if (QWidget* f = focusWidget()) f->clearFocus();
    ShowFlight(m_currentPosition + step);
    maskArea()->repaint();
}

void TFMHaupt::keyPressEvent(QKeyEvent* event) {
    // The keypad's Enter carries the keypad modifier and is an Enter all the same.
    if (m_entryState != Browse && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter saves and Esc discards, as the window's default and cancel buttons.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // Enter presses the button that has the focus, otherwise OK.
            runCommand(focusWidget() == BtnCancel ? &TFMHaupt::BtnCancelClick : &TFMHaupt::BtnokClick);
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            BtnCancelClick();
            return;
        }
    }
    if (m_entryState == Browse &&
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0) {
        if (event->key() == Qt::Key_Left) {
            DisplayNext(-1);
            return;
        }
        if (event->key() == Qt::Key_Right) {
            DisplayNext(+1);
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

bool TFMHaupt::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && m_entryState == Browse) {
        // LooseControl: the mask is read-only while browsing.
        if (auto* w = qobject_cast<QWidget*>(watched))
            QMetaObject::invokeMethod(w, &QWidget::clearFocus, Qt::QueuedConnection);
        return false;
    }
    auto* button = qobject_cast<QToolButton*>(watched);
    if (button && (button == BtnDown || button == BtnUp)) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            if (button->isEnabled()) ArrowMouseDown(button, static_cast<QMouseEvent*>(event)->button());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            ArrowMouseUp();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFMHaupt::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_entryState == Browse)
        if (QWidget* f = focusWidget()) f->clearFocus();
}

void TFMHaupt::waitForTick(int milliseconds) {
    Timer->setInterval(milliseconds);
    m_tickSeen = false;
    Timer->start();
    while (!m_tickSeen && m_mouseHeld) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Timer->stop();
}

void TFMHaupt::ArrowMouseDown(QToolButton* button, Qt::MouseButton mouseButton) {
    const int step = mouseButton == Qt::RightButton ? 10 : 1;
    const int direction = button == BtnDown ? -1 : 1;
    const QRect area(button->mapToGlobal(QPoint(0, 0)), button->size());
    m_mouseHeld = true;
    int wait = 100;
    while (m_mouseHeld) {
        if (!isActiveWindow() && QApplication::activeWindow() != nullptr) break;
        if (!area.contains(QCursor::pos()) && !property("ignoreCursorForTests").toBool()) break;
        DisplayNext(direction * step);
        if (!button->isEnabled()) break;
        waitForTick(wait);
        if (wait > 10) wait -= 10;
    }
    m_mouseHeld = false;
}

void TFMHaupt::ArrowMouseUp() {
    m_mouseHeld = false;
}

TFMSumme* TFMHaupt::totalsWindow() const {
    return m_totals;
}

void TFMHaupt::SummeClick() {
    if (m_totals) {
        m_totals->show();
        m_totals->raise();
        m_totals->activateWindow();
        return;
    }
    m_totals = TFMSumme::OpenTotalsWindow(m_book, this);
}

void TFMHaupt::runCommand(void (TFMHaupt::*command)()) {
    // A command stops where the error arose, and the user reads why.
    try {
        (this->*command)();
    } catch (...) {
        if (!showCurrentError(this)) throw;
    }
}

QWidget* TFMHaupt::firstEmptyRequiredField() {
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

void TFMHaupt::guardStorableText() {
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
    for (QLineEdit* edit : maskArea()->findChildren<QLineEdit*>()) {
        connect(edit, &QLineEdit::textEdited, this, [edit, refuse, storable](const QString& text) {
            if (cp1252::canEncode(text)) return;
            const int caret = int(storable(text.left(edit->cursorPosition())).size());
            edit->setText(storable(text));
            edit->setCursorPosition(std::min<int>(caret, int(edit->text().size())));
            refuse(text);
        });
    }
}

void TFMHaupt::IndexneuClick() {
    TFMIndexneu::RebuildIndex(m_logbook, this);
    ShowFlight(m_logbook.FlightCount());
}

void TFMHaupt::DateiordnenClick(bool full) {
    TFMOrdnen::SortAndCompact(m_logbook, this, full);
    ShowFlight(m_currentPosition);
}

void TFMHaupt::SchriftClick() {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, MemComment->font(), this, QString(), QFontDialog::DontUseNativeDialog);
    // The dialog's font becomes the comment's font also when it is cancelled (it is then the old one).
    const QFont f = ok ? chosen : MemComment->font();
    MemComment->setFont(f);
    try {
        m_settings.write(setting::DISPLAY::FONTSIZE, qint64(f.pointSize()));
        m_settings.write(setting::DISPLAY::FONTNAME, f.family());
        m_settings.writeTruth(setting::DISPLAY::ITALIC, f.italic());
        m_settings.writeTruth(setting::DISPLAY::BOLD, f.bold());
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(this, QStringLiteral("Dateifehler"), e.message(), MessageBox::Icon::Error);
    }
}

void TFMHaupt::applySizeLimits() {
    // Measured with both time groups shown, the largest mask, so that showing them later never
    // needs more room than the window has.
    const bool vfr = PanelVFR->isVisibleTo(m_client), ifr = PanelIFR->isVisibleTo(m_client);
    PanelVFR->setVisible(true);
    PanelIFR->setVisible(true);
    m_client->layout()->activate();
    const QSize content = m_client->sizeHint();
    const int menu = menuBar()->sizeHint().height();
    QSize size(content.width(), content.height() + menu);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(size.expandedTo(QSize(704, 532)));
    // The scroll area lays the mask out only once it is shown: lay it out at its natural size here
    // to find where the comment box begins.
    m_client->layout()->setGeometry(QRect(QPoint(0, 0), content));
    const int commentTop = Comment->mapTo(m_client, QPoint(0, 0)).y() + menu;
    PanelVFR->setVisible(vfr);
    PanelIFR->setVisible(ifr);
    // Never narrower than 200 x 150, never wider than the mask, never taller than the comment
    // box's top plus 400 pixels.
    setMinimumSize(200, 150);
    setMaximumWidth(std::max(width(), content.width()));
    setMaximumHeight(std::max(height(), commentTop + 400));
}

void TFMHaupt::resizeEvent(QResizeEvent* event) {
    // The comment box takes every pixel below the mask (its layout stretch does that), so a taller
    // window means a taller comment.
    QMainWindow::resizeEvent(event);
}

}  // namespace velmarsk
