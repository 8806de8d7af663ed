#include "entry/tfmhaupt.h"

#include "controls/fonts.h"
#include "controls/subs.h"
#include "dialogs/errormessage.h"
#include "dialogs/guiinteraction.h"
#include "dialogs/messagebox.h"
#include "evaluation/tfmsumme.h"
#include "evaluation/tfmsummegruppe.h"
#include "extras/tfmdrucken.h"
#include "extras/tfmflugbuchseiten.h"
#include "extras/tfmgetgrafdata.h"
#include "flightbook/flightbook.h"
#include "maintenance/tfmindexneu.h"
#include "maintenance/tfmordnen.h"
#include "maintenance/tfmsicherung.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFontDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>
#include <tuple>

namespace velmarsk {
namespace {

// Items that exist only in Browse.
const char* const kBrowseOnlyItems[] = {"FlugAendern",  "NeuerFlug",   "Suchen",        "Weitersuchen",
                                        "Summe",        "SummeGruppe", "Grafik",        "Flugdrucken",
                                        "Flugloeschen", "Gehezu",      "Indexneu",      "Dateiordnen",
                                        "Exportieren",  "Importieren", "CsvImportieren"};

struct MenuItem {
    const char* menu;  // nullptr: separator in the current menu
    const char* name;
    const char* caption;
    const char* shortcut;
};

// Keys that open the evaluations work from every window of the program, as from the main window:
// the totals, search or crew info window in front must not swallow them.
const char* const kApplicationKeys[] = {"Optionen", "Summe",        "SummeGruppe",
                                        "Suchen",   "Weitersuchen", "Grafik"};

const MenuItem kMenuItems[] = {
    {"&Datei", "Indexneu", "&Index neu", ""},
    {nullptr, "N1", "", ""},
    {"&Datei", "Exportieren", "&Exportieren", "F9"},
    {"&Datei", "Importieren", "I&mportieren", "Shift+F9"},
    {"&Datei", "CsvExportieren", "&CSV exportieren", ""},
    {"&Datei", "CsvImportieren", "CSV im&portieren", ""},
    {nullptr, "N3", "", ""},
    {"&Datei", "Dateiordnen", "&Datei ordnen", ""},
    {"&Datei", "Sicherungwiederherstellen", "Sicherung &wiederherstellen", ""},
    {"&Datei", "Schliessen", "&Schließen", ""},
    {"&Bearbeiten", "Flugloeschen", "&Flug löschen", "Ctrl+Del"},
    {"&Bearbeiten", "Gehezu", "Gehe zu", "F5"},
    {"&Bearbeiten", "FlugAendern", "Flug &ändern", "F4"},
    {"D&rucken", "Druckerwaehlen", "Drucker wählen", ""},
    {"D&rucken", "Flugdrucken", "Flug drucken", "Ctrl+P"},
    {"D&rucken", "Flugbuchseiten", "Flugbuchseiten", ""},
    {"&Eingabe", "NeuerFlug", "&Neuer Flug", "F10"},
    {"&Eingabe", "Optionen", "&Optionen", "F11"},
    {"&Auswerten", "Summe", "&Summe", "Ctrl+J"},
    {"&Auswerten", "SummeGruppe", "Summen &je Gruppe", "Ctrl+Shift+J"},
    {"&Auswerten", "Suchen", "Suchen", "Ctrl+F"},
    {"&Auswerten", "Weitersuchen", "Weitersuchen", "F3"},
    {"&Auswerten", "Grafik", "Grafik", "F6"},
    {"&?", "Info", "Info", ""},
    {"&?", "CrewInfo1", "CrewInfo", ""},
};

// Scrolls by mouse and scroll bars only: the arrow keys belong to the window, which moves between
// fields and flights with them.
class MaskScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    void keyPressEvent(QKeyEvent* event) override { event->ignore(); }
};

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

    // The mask keeps its fields at their natural size: a window made smaller than the mask scrolls
    // instead of squeezing them, a taller one gives the comment box the room.
    auto* scroll = new MaskScrollArea(this);
    scroll->setObjectName(QStringLiteral("MaskScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    m_mask = new EntryMask(book, scroll);
    scroll->setWidget(m_mask);
    setCentralWidget(scroll);
    // Short notices of finished commands (an export, for one) that need no answer.
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    setStatusBar(status);
    buildMenus();
    SetMainForm(this);
    m_ui.setMainWindow(this);
    m_ui.setBeforeMessage([this] { stopAutoRepeat(); });
    connectCommands();

    EnableButtons();
    m_hideUnused = m_settings.truth(setting::SETTINGS::HIDEUNUSED);
    ShowFlight(m_logbook.FlightCount());

    // Every field at its natural size; the comment box takes what the screen leaves.
    applySizeLimits();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFMHaupt::connectCommands() {
    connect(m_mask, &EntryMask::entryStateChanged, this, [this] { EnableButtons(); });
    connect(menuAction(QStringLiteral("Indexneu")), &QAction::triggered, this, &TFMHaupt::IndexneuClick);
    connect(menuAction(QStringLiteral("Dateiordnen")), &QAction::triggered, this,
            [this] { DateiordnenClick(true); });
    connect(menuAction(QStringLiteral("Schliessen")), &QAction::triggered, this, &QWidget::close);
    connect(menuAction(QStringLiteral("Sicherungwiederherstellen")), &QAction::triggered, this,
            &TFMHaupt::SicherungwiederherstellenClick);
    const std::pair<const char*, void (TFMHaupt::*)()> commands[] = {
        {"NeuerFlug", &TFMHaupt::NeuerFlugClick},
        {"FlugAendern", &TFMHaupt::FlugAendernClick},
        {"Flugloeschen", &TFMHaupt::FlugloeschenClick},
        {"Gehezu", &TFMHaupt::GehezuClick},
        {"Flugdrucken", &TFMHaupt::FlugdruckenClick},
        {"Druckerwaehlen", &TFMHaupt::DruckerwaehlenClick},
        {"Optionen", &TFMHaupt::OpenOptionsDialog},
        {"Summe", &TFMHaupt::SummeClick},
        {"SummeGruppe", &TFMHaupt::SummeGruppeClick},
        {"Suchen", &TFMHaupt::OpenSearchDialog},
        {"Weitersuchen", &TFMHaupt::ContinueSearch},
        {"Exportieren", &TFMHaupt::ExportierenClick},
        {"Importieren", &TFMHaupt::ImportierenClick},
        {"CsvExportieren", &TFMHaupt::CsvExportierenClick},
        {"CsvImportieren", &TFMHaupt::CsvImportierenClick},
        {"Info", &TFMHaupt::InfoClick},
        {"CrewInfo1", &TFMHaupt::CrewInfoClick},
        {"Grafik", &TFMHaupt::GrafikClick},
        {"Flugbuchseiten", &TFMHaupt::FlugbuchseitenClick},
    };
    for (const auto& [name, handler] : commands)
        connect(menuAction(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, h = handler] { runCommand(h); });
    EntryMask& m = *m_mask;
    connect(m.Btnok, &QPushButton::clicked, this, [this] { runCommand(&TFMHaupt::BtnokClick); });
    connect(m.BtnCancel, &QPushButton::clicked, this, [this] { runCommand(&TFMHaupt::BtnCancelClick); });
    connect(m.CBHasPassword, &QCheckBox::clicked, this, &TFMHaupt::CBHasPasswordClick);
    for (QToolButton* b : {m.BtnDown, m.BtnUp}) b->installEventFilter(this);
    m.MemComment->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m.MemComment, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PUComment->exec(m_mask->MemComment->mapToGlobal(p)); });
    // The fields offer printing and export like the window around them, in every state, instead of
    // the edit menu of the toolkit.
    for (QWidget* w : m.findChildren<QWidget*>()) {
        if (w == m.MemComment || !(qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))) continue;
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& p) { PUNormal->exec(w->mapToGlobal(p)); });
    }
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        QMenu* menu = EntryState() == Browse ? PUNormal : PUDummy;
        if (!menu->isEmpty()) menu->exec(mapToGlobal(p));
    });
}

void TFMHaupt::SicherungwiederherstellenClick() {
    if (EntryState() != Browse) return;  // a flight being entered is not thrown away
    // Putting a copy back replaces every flight: a change like any other, as on the command line.
    if (m_book.passwordGuards(FlightBook::Guard::Changing) && !passwordGiven()) return;
    const QString password = m_logbook.ReadPassword();
    const bool restored = TFMSicherung::RestoreBackup(m_book, this);
    if (!m_logbook.isOpen()) {
        close();  // the files did not open again; the user has been told
        return;
    }
    // The password came back with the copy: the one given in this run counts only when it is the
    // same; ShowFlight asks again when showing is guarded.
    if (m_logbook.ReadPassword() != password) m_passwordValid = false;
    if (restored) ShowFlight(m_logbook.FlightCount());
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

void TFMHaupt::EnableButtons() {
    const bool browse = EntryState() == Browse;
    for (const char* name : kBrowseOnlyItems)
        if (QAction* a = menuAction(QString::fromLatin1(name))) a->setEnabled(browse);
}

void TFMHaupt::updateDiagnostics() {
    m_mask->ShowDiagnostics(m_currentPosition, m_logbook.FlightCount(),
                            int(m_logbook.index().RecNoAt(m_currentPosition)),
                            qint64(m_logbook.index().StrPosAt(m_currentPosition)));
}

void TFMHaupt::ShowFlight(int n) {
    EntryMask& m = *m_mask;
    const bool hasPassword = m_logbook.HasPassword();
    m.CBHasPassword->setVisible(hasPassword);
    if (!hasPassword) m_passwordValid = true;
    m.CBHasPassword->setChecked(m_passwordValid);
    if (m_book.passwordGuards(FlightBook::Guard::Showing) && !m_passwordValid && !AskPassword()) {
        // Showing data is guarded and the password was refused: the program ends, showing nothing.
        m_endRequested = true;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    m.CBHasPassword->setChecked(m_passwordValid);
    m.ShowTotal(RunningTotal());

    auto setEnabled = [this](const char* name, bool on) {
        menuAction(QString::fromLatin1(name))->setEnabled(on);
    };
    const int count = m_logbook.FlightCount();
    if (count < 1) {
        m_currentPosition = 0;
        m.ShowEmpty();
        m.BtnDown->setEnabled(false);
        m.BtnUp->setEnabled(false);
        for (const char* name : {"Flugloeschen", "FlugAendern", "Gehezu", "Summe", "SummeGruppe"})
            setEnabled(name, false);
    } else {
        n = std::min(std::max(n, 1), count);
        m.BtnDown->setEnabled(n > 1);
        m.BtnUp->setEnabled(n < count);
        const bool browse = EntryState() == Browse;
        for (const char* name : {"Flugloeschen", "FlugAendern", "Gehezu", "Summe", "SummeGruppe"})
            setEnabled(name, browse);
        FlightRecord record;
        StringRecord texts;
        m_logbook.ReadFlight(n, record);
        m_logbook.ReadStringRecord(n, texts);
        m_currentPosition = n;
        m.ShowFlight(record, texts, m_hideUnused, m_passwordValid);
    }
    updateDiagnostics();
    emit flightShown(m_currentPosition);
}

QRect TFMHaupt::flightArea() const {
    return onScreen(m_mask,
                    QRect(QPoint(0, 0),
                          QPoint(m_mask->width() - 1, m_mask->Comment->mapTo(m_mask, QPoint(0, 0)).y() - 1)));
}

QRect TFMHaupt::onScreen(const QWidget* widget, const QRect& rect) const {
    const QWidget* view = centralWidget();
    const QRect visible(view->mapToGlobal(QPoint(0, 0)), view->size());
    return QRect(widget->mapToGlobal(rect.topLeft()), rect.size()) & visible;
}

void TFMHaupt::MoveAside(QWidget* window) {
    if (!window || !window->isVisible() || !isVisible() || isMinimized()) return;
    const QRect flight = flightArea();
    const QRect own = window->frameGeometry();
    if (!own.intersects(flight)) return;  // the flight is in sight: the window stays where the pilot put it
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect main = frameGeometry();
    // The top block says which flight it is: date, crew, aircraft, routing and times.
    const QRect key = onScreen(m_mask->PanelAllg, m_mask->PanelAllg->rect());
    auto inside = [&area](QPoint at, QSize size) {
        at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - size.width())));
        at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - size.height())));
        return QRect(at, size);
    };
    auto covered = [](const QRect& a, const QRect& b) {
        const QRect both = a & b;
        return qint64(both.width()) * both.height();
    };
    // Beside, below or above the main window, on the screen (a screen too small leaves part of the
    // main window covered): the place that covers least of the top block, then of the other fields,
    // then of the main window, in this order of preference.
    const QSize size = own.size();
    const QRect places[] = {
        inside(QPoint(main.right() + 1, main.top()), size),
        inside(QPoint(main.left() - size.width(), main.top()), size),
        inside(QPoint(own.left(), main.bottom() + 1), size),
        inside(QPoint(own.left(), main.top() - size.height()), size),
    };
    const QRect* best = nullptr;
    std::tuple<qint64, qint64, qint64> least;
    for (const QRect& place : places) {
        const std::tuple cost{covered(place, key), covered(place, flight), covered(place, main)};
        if (!best || cost < least) {
            best = &place;
            least = cost;
        }
    }
    window->move(best->topLeft());
}

void TFMHaupt::DisplayNext(int step) {
    if (QWidget* f = focusWidget()) f->clearFocus();
    ShowFlight(m_currentPosition + step);
    m_mask->repaint();
}

void TFMHaupt::keyPressEvent(QKeyEvent* event) {
    // The keypad's Enter carries the keypad modifier and is an Enter all the same.
    if (EntryState() != Browse && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter saves and Esc discards, as the window's default and cancel buttons.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // Enter presses the button that has the focus, otherwise OK.
            runCommand(focusWidget() == m_mask->BtnCancel ? &TFMHaupt::BtnCancelClick
                                                          : &TFMHaupt::BtnokClick);
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            BtnCancelClick();
            return;
        }
    }
    if (EntryState() == Browse &&
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
    auto* button = qobject_cast<QToolButton*>(watched);
    if (button && (button == m_mask->BtnDown || button == m_mask->BtnUp)) {
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && EntryState() == Browse)
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
    const int direction = button == m_mask->BtnDown ? -1 : 1;
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
    if (!bringToFront(m_totals)) m_totals = TFMSumme::OpenTotalsWindow(m_book, this);
}

TFMSummeGruppe* TFMHaupt::groupTotalsWindow() const {
    return m_groupTotals;
}

void TFMHaupt::SummeGruppeClick() {
    if (!bringToFront(m_groupTotals)) m_groupTotals = TFMSummeGruppe::OpenGroupTotals(m_book, this);
}

TFMGetGrafData* TFMHaupt::chartSelection() const {
    return m_chartSelection;
}

void TFMHaupt::GrafikClick() {
    if (!bringToFront(m_chartSelection)) m_chartSelection = TFMGetGrafData::OpenChart(m_book, this);
}

TFMFlugbuchseiten* TFMHaupt::logbookPagesWindow() const {
    return m_logbookPages;
}

void TFMHaupt::FlugbuchseitenClick() {
    if (!m_logbookPages) {
        m_logbookPages = new TFMFlugbuchseiten(m_book, &printerHolder()->printer(), this);
        m_logbookPages->adjustSize();
        CenterOverMainForm(m_logbookPages);
    }
    bringToFront(m_logbookPages);
}

void TFMHaupt::runCommand(void (TFMHaupt::*command)()) {
    // A command stops where the error arose, and the user reads why.
    runShowingErrors(this, [this, command] { (this->*command)(); });
}

void TFMHaupt::IndexneuClick() {
    TFMIndexneu::RebuildIndex(m_book, this);
    ShowFlight(m_logbook.FlightCount());
}

void TFMHaupt::DateiordnenClick(bool full) {
    TFMOrdnen::SortAndCompact(m_book, this, full);
    ShowFlight(m_currentPosition);
}

void TFMHaupt::SchriftClick() {
    bool ok = false;
    QPlainTextEdit* comment = m_mask->MemComment;
    const QFont chosen =
        QFontDialog::getFont(&ok, comment->font(), this, QString(), QFontDialog::DontUseNativeDialog);
    // The dialog's font becomes the comment's font also when it is cancelled (it is then the old one).
    const QFont f = ok ? chosen : comment->font();
    comment->setFont(f);
    try {
        m_settings.write(setting::DISPLAY::FONTSIZE, qint64(f.pointSize()));
        m_settings.write(setting::DISPLAY::FONTNAME, f.family());
        m_settings.writeTruth(setting::DISPLAY::ITALIC, f.italic());
        m_settings.writeTruth(setting::DISPLAY::BOLD, f.bold());
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(this, msg::fileError(), e.message(), MessageBox::Icon::Error);
    }
}

void TFMHaupt::applySizeLimits() {
    // Measured with both time groups shown, the largest mask, so that showing them later never
    // needs more room than the window has.
    QWidget* client = m_mask;
    QGroupBox* vfrBox = m_mask->PanelVFR;
    QGroupBox* ifrBox = m_mask->PanelIFR;
    const bool vfr = vfrBox->isVisibleTo(client), ifr = ifrBox->isVisibleTo(client);
    vfrBox->setVisible(true);
    ifrBox->setVisible(true);
    client->layout()->activate();
    const QSize content = client->sizeHint();
    const int menu = menuBar()->sizeHint().height();
    const int status = statusBar()->sizeHint().height();
    QSize size(content.width(), content.height() + menu + status);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(size.expandedTo(QSize(704, 532)));
    // The scroll area lays the mask out only once it is shown: lay it out at its natural size here
    // to find where the comment box begins.
    client->layout()->setGeometry(QRect(QPoint(0, 0), content));
    const int commentTop = m_mask->Comment->mapTo(client, QPoint(0, 0)).y() + menu;
    vfrBox->setVisible(vfr);
    ifrBox->setVisible(ifr);
    // Never narrower than 200 x 150, never wider than the mask, never taller than the comment
    // box's top plus 400 pixels.
    setMinimumSize(200, 150);
    setMaximumWidth(std::max(width(), content.width()));
    setMaximumHeight(std::max(height(), commentTop + 400));
}

void TFMHaupt::buildMenus() {
    QMenu* current = nullptr;
    QString currentTitle;
    for (const MenuItem& item : kMenuItems) {
        if (!item.menu) {
            auto* sep = current->addSeparator();
            sep->setObjectName(QString::fromLatin1(item.name));
            continue;
        }
        const QString title = QString::fromUtf8(item.menu);
        if (title != currentTitle) {
            current = menuBar()->addMenu(title);
            current->setObjectName(QStringLiteral("Menu") + QString(title).remove(QLatin1Char('&')));
            currentTitle = QString::fromUtf8(item.menu);
        }
        QAction* a = current->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QString::fromLatin1(item.name));
        if (*item.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
        for (const char* name : kApplicationKeys)
            if (qstrcmp(name, item.name) == 0) a->setShortcutContext(Qt::ApplicationShortcut);
    }
    menuBar()->setObjectName(QStringLiteral("Menu"));

    auto named = [this](const char* name) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    PUNormal = named("PUNormal");
    QAction* drucken = PUNormal->addAction(QStringLiteral("&Drucken"));
    drucken->setObjectName(QStringLiteral("PUDrucken"));
    // Never disabled: it prints also while a flight is entered, when the menu item is off.
    connect(drucken, &QAction::triggered, this, [this] { runCommand(&TFMHaupt::FlugdruckenClick); });
    QAction* exportieren = PUNormal->addAction(QStringLiteral("&Exportieren"));
    exportieren->setObjectName(QStringLiteral("PUExportieren"));
    connect(exportieren, &QAction::triggered, menuAction(QStringLiteral("Exportieren")), &QAction::trigger);
    PUComment = named("PUComment");
    QAction* schrift = PUComment->addAction(QStringLiteral("Schriftart"));
    schrift->setObjectName(QStringLiteral("Schrift"));
    connect(schrift, &QAction::triggered, this, &TFMHaupt::SchriftClick);
    PUDummy = named("PUDummy");
}

}  // namespace velmarsk
