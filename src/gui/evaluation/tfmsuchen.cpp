#include "evaluation/tfmsuchen.h"

#include "controls/colors.h"
#include "controls/maskedlineedit.h"
#include "controls/subs.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "dialogs/errormessage.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "evaluation/flightsearch.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace velmarsk {
namespace {

// Flights examined between two looks at the window's events: short enough that "Abbrechen" and
// closing act at once, long enough that the events cost little beside the search.
constexpr int kFlightsPerStep = 256;

const QString kSearchCaption = QStringLiteral("Suchen");

// The field boxes as the window shows them, row by row.
struct FieldBoxInfo {
    SearchField field;
    const char* caption;
    QCheckBox* TFMSuchen::*box;
};
const FieldBoxInfo kFieldBoxes[] = {
    {SearchField::Registration, "in R&egistrierung", &TFMSuchen::CBinRegistration},
    {SearchField::Crew, "in &Crew", &TFMSuchen::CBInCrew},
    {SearchField::Routing, "in &Routing", &TFMSuchen::CBinRouting},
    {SearchField::Callsign, "in R&ufzeichen", &TFMSuchen::CBinCallsign},
    {SearchField::Comment, "in &Bemerkungen", &TFMSuchen::CBinComment},
    {SearchField::Tctp, "in TCT&P-Nr", &TFMSuchen::CBinTctp},
};

QString boxName(SearchField field) {
    for (const SearchFieldInfo& info : searchFields())
        if (info.field == field) return QString::fromLatin1(info.boxName);
    return {};
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QString opText(SearchOp op) {
    return op == SearchOp::Und ? QStringLiteral("UND") : QStringLiteral("ODER");
}

}  // namespace

TFMSuchen::TFMSuchen(TFMHaupt& mainForm, FlightBook& book)
    : QDialog(&mainForm), m_main(mainForm), m_book(book) {
    setObjectName(QStringLiteral("FMSuchen"));
    setWindowTitle(QStringLiteral("FMSuchen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* outer = new QVBoxLayout(this);
    auto* parts = new QHBoxLayout;
    outer->addLayout(parts);
    auto* textColumn = new QVBoxLayout;
    auto* procedureColumn = new QVBoxLayout;
    parts->addLayout(textColumn);
    parts->addLayout(procedureColumn);

    CBTextSearch = checkBox(this, QStringLiteral("CBTextSearch"), QStringLiteral("&Text suchen"));
    textColumn->addWidget(CBTextSearch);
    PNTextSearch = new QFrame(this);
    PNTextSearch->setObjectName(QStringLiteral("PNTextSearch"));
    PNTextSearch->setFrameShape(QFrame::StyledPanel);
    PNTextSearch->setToolTip(QStringLiteral("(Such1 ODER Such2)  ODER Such3"));
    textColumn->addWidget(PNTextSearch);
    textColumn->addStretch();
    buildTextPart(PNTextSearch);

    CBVerfSearch = checkBox(this, QStringLiteral("CBVerfSearch"), QStringLiteral("&Verfahren suchen"));
    procedureColumn->addWidget(CBVerfSearch);
    PNVerfSearch = new QFrame(this);
    PNVerfSearch->setObjectName(QStringLiteral("PNVerfSearch"));
    PNVerfSearch->setFrameShape(QFrame::StyledPanel);
    procedureColumn->addWidget(PNVerfSearch);
    procedureColumn->addStretch();
    buildProcedurePart(PNVerfSearch);

    auto* bottom = new QHBoxLayout;
    outer->addLayout(bottom);
    RGRichtung = buildRadioGroup(QStringLiteral("RGRichtung"), QStringLiteral("Richtung"),
                                 {QStringLiteral("v&orwärts"), QStringLiteral("r&ückwärts")}, &m_richtung);
    RGBereich = buildRadioGroup(QStringLiteral("RGBereich"), QStringLiteral("Bereich"),
                                {QStringLiteral("ab a&ktuellen Flug"), QStringLiteral("ab Begi&nn / Ende")},
                                &m_bereich);
    bottom->addWidget(RGRichtung);
    bottom->addWidget(RGBereich);
    setDirection(1);
    setRange(0);

    auto* dates = new QVBoxLayout;
    bottom->addLayout(dates);
    CBVonBis = checkBox(this, QStringLiteral("CBVonBis"), QStringLiteral("&Von - bis"));
    dates->addWidget(CBVonBis);
    for (MaskedLineEdit** edit : {&DatumVon, &DatumBis}) {
        *edit = new MaskedLineEdit(this);
        (*edit)->setEditMask(kDateMask);
        dates->addWidget(*edit);
    }
    DatumVon->setObjectName(QStringLiteral("DatumVon"));
    DatumBis->setObjectName(QStringLiteral("DatumBis"));
    DatumVon->setText(QStringLiteral("01.01.80"));
    DatumBis->setText(DateText(QDate::currentDate()));

    auto* buttons = new QVBoxLayout;
    bottom->addLayout(buttons);
    ButtonOk = new QPushButton(QStringLiteral("&OK"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    btnAbbruch = new QPushButton(QStringLiteral("&Abbrechen"), this);
    btnAbbruch->setObjectName(QStringLiteral("btnAbbruch"));
    btnAbbruch->setAutoDefault(false);
    buttons->addWidget(ButtonOk);
    buttons->addWidget(btnAbbruch);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, m_book.FlightCount());
    ProgressBar->setVisible(false);
    // Its room is kept while hidden: otherwise the first search stretches the window and the
    // controls move under the mouse.
    keepRoomWhenHidden(ProgressBar);
    outer->addWidget(ProgressBar);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(300);

    connect(CBTextSearch, &QCheckBox::clicked, this, &TFMSuchen::FormActivate);
    connect(CBVerfSearch, &QCheckBox::clicked, this, &TFMSuchen::FormActivate);
    connect(CBVonBis, &QCheckBox::toggled, this, &TFMSuchen::CBVonBisClick);
    connect(CBUndOder1, &QComboBox::currentIndexChanged, this, &TFMSuchen::rebuildPanelHint);
    connect(CBUndOder2, &QComboBox::currentIndexChanged, this, &TFMSuchen::rebuildPanelHint);
    connect(ButtonOk, &QPushButton::clicked, this, &TFMSuchen::ButtonOkClick);
    connect(btnAbbruch, &QPushButton::clicked, this, &TFMSuchen::btnAbbruchClick);
    connect(Timer, &QTimer::timeout, this, &TFMSuchen::TimerTimer);
    // A running search takes a new view of the files after flights have changed.
    connect(&m_book, &FlightBook::flightsChanged, this, [this] { m_flightsChanged = true; });

    CBVonBisClick();
    FormActivate();
    adjustSize();
}

TFMSuchen::~TFMSuchen() = default;

void TFMSuchen::buildTextPart(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    const QString hint = QStringLiteral("? für ein beliebiges Zeichen, * für beliebig viele Zeichen");
    int row = 0;
    for (QLineEdit** edit : {&Searchstring1, &Searchstring2, &Searchstring3}) {
        *edit = new QLineEdit(parent);
        (*edit)->setToolTip(hint);
        grid->addWidget(*edit, row, 0, 1, 2);
        row += 2;
    }
    Searchstring1->setObjectName(QStringLiteral("Searchstring1"));
    Searchstring2->setObjectName(QStringLiteral("Searchstring2"));
    Searchstring3->setObjectName(QStringLiteral("Searchstring3"));
    for (QComboBox** combo : {&CBUndOder1, &CBUndOder2}) {
        *combo = new QComboBox(parent);
        (*combo)->addItems({opText(SearchOp::Und), opText(SearchOp::Oder)});
        (*combo)->setCurrentIndex(int(SearchOp::Oder));
    }
    CBUndOder1->setObjectName(QStringLiteral("CBUndOder1"));
    CBUndOder2->setObjectName(QStringLiteral("CBUndOder2"));
    grid->addWidget(CBUndOder1, 1, 0);
    grid->addWidget(CBUndOder2, 3, 0);
    // The keyboard walks the part as it is read: each combination between the texts it joins.
    QWidget::setTabOrder(Searchstring1, CBUndOder1);
    QWidget::setTabOrder(CBUndOder1, Searchstring2);
    QWidget::setTabOrder(Searchstring2, CBUndOder2);
    QWidget::setTabOrder(CBUndOder2, Searchstring3);

    row = 5;
    int column = 0;
    for (const FieldBoxInfo& info : kFieldBoxes) {
        QCheckBox* box = checkBox(parent, boxName(info.field), QString::fromUtf8(info.caption));
        box->setChecked(true);
        this->*info.box = box;
        grid->addWidget(box, row, column);
        column = 1 - column;
        row += column == 0;
    }
    CBGrossKlein = checkBox(parent, QStringLiteral("CBGrossKlein"), QStringLiteral("&Groß/Kleinschreibung"));
    CBWholeWord =
        checkBox(parent, QStringLiteral("CBWholeWord"), QStringLiteral("Komplette &Übereinstimmung"));
    CBWholeWord->setToolTip(QStringLiteral("Suchstring muß der Fundstelle genau enstsprechen"));
    grid->addWidget(CBGrossKlein, row++, 0, 1, 2);
    grid->addWidget(CBWholeWord, row, 0, 1, 2);
}

void TFMSuchen::buildProcedurePart(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    grid->setVerticalSpacing(0);
    grid->addWidget(new QLabel(QStringLiteral("Tag  Nacht"), parent), 0, 1, 1, 2);
    int row = 0;
    QString rowLabel;
    for (const ProcedureBox& info : velmarsk::procedureBoxes()) {
        const QString label = QString::fromUtf8(info.rowLabel);
        if (label != rowLabel) {
            rowLabel = label;
            grid->addWidget(new QLabel(label, parent), ++row, 0);
        }
        QCheckBox* box = checkBox(parent, QString::fromLatin1(info.name), QString());
        box->installEventFilter(this);
        grid->addWidget(box, row, info.night ? 2 : 1);
        procedureBoxes.push_back(box);
    }
}

QGroupBox* TFMSuchen::buildRadioGroup(const QString& name, const QString& caption, const QStringList& items,
                                      QButtonGroup** group) {
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(name);
    auto* column = new QVBoxLayout(box);
    *group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        radio->setObjectName(name + QString::number(i));
        (*group)->addButton(radio, i);
        column->addWidget(radio);
    }
    return box;
}

int TFMSuchen::direction() const {
    return m_richtung->checkedId();
}
void TFMSuchen::setDirection(int index) {
    m_richtung->button(index)->setChecked(true);
}
int TFMSuchen::range() const {
    return m_bereich->checkedId();
}
void TFMSuchen::setRange(int index) {
    m_bereich->button(index)->setChecked(true);
}

void TFMSuchen::setOps(SearchOp op1, SearchOp op2) {
    const QSignalBlocker block1(CBUndOder1);
    const QSignalBlocker block2(CBUndOder2);
    CBUndOder1->setCurrentIndex(int(op1));
    CBUndOder2->setCurrentIndex(int(op2));
}

QCheckBox* TFMSuchen::fieldBox(SearchField field) const {
    for (const FieldBoxInfo& info : kFieldBoxes)
        if (info.field == field) return this->*info.box;
    return nullptr;
}

void TFMSuchen::FormActivate() {
    SetAllowedTree(PNTextSearch, CBTextSearch->isChecked());
    SetAllowedTree(PNVerfSearch, CBVerfSearch->isChecked());
}

void TFMSuchen::CBVonBisClick() {
    DatumVon->setEnabled(CBVonBis->isChecked());
    DatumBis->setEnabled(CBVonBis->isChecked());
}

void TFMSuchen::rebuildPanelHint() {
    PNTextSearch->setToolTip(QStringLiteral("(String1 ") + CBUndOder1->currentText() +
                             QStringLiteral(" String2) ") + CBUndOder2->currentText() +
                             QStringLiteral(" String3 "));
}

void TFMSuchen::TimerTimer() {
    raise();
    activateWindow();
}

SearchCriteria TFMSuchen::criteriaFromControls() const {
    SearchCriteria c;
    c.textSearch = CBTextSearch->isChecked();
    c.texts = {Searchstring1->text(), Searchstring2->text(), Searchstring3->text()};
    c.op1 = SearchOp(CBUndOder1->currentIndex());
    c.op2 = SearchOp(CBUndOder2->currentIndex());
    for (const FieldBoxInfo& info : kFieldBoxes) c.setSearches(info.field, (this->*info.box)->isChecked());
    c.caseSensitive = CBGrossKlein->isChecked();
    c.wholeWord = CBWholeWord->isChecked();
    c.procedureSearch = CBVerfSearch->isChecked();
    for (QCheckBox* box : procedureBoxes)
        if (box->isChecked()) c.procedures << box->objectName();
    // Without a stored password every comment counts as open.
    c.passwordValid = m_main.PasswordValid() || !m_main.flightBook().hasPassword();
    return c;
}

void TFMSuchen::ButtonOkClick() {
    // One search at a time; a hit must not replace a flight that is being entered.
    if (!m_idle || m_main.EntryState() != Browse) {
        if (m_idle) Timer->stop();
        QApplication::beep();
        return;
    }
    SearchCriteria criteria = criteriaFromControls();
    if (!criteria.usable()) {
        Timer->stop();
        MessageBox::tell(this, kSearchCaption, QStringLiteral("Keine Suchkriterien eingegeben"),
                         MessageBox::Icon::Stop);
        return;
    }
    if (CBVonBis->isChecked()) {
        try {
            const QDate from = FieldDate(DatumVon->text());
            const QDate to = FieldDate(DatumBis->text());
            criteria.dateRange = std::pair{kDayZero.daysTo(from), kDayZero.daysTo(to)};
        } catch (...) {
            Timer->stop();
            if (!showCurrentError(this)) throw;
            return;
        }
    }
    m_criteria = criteria;
    runSearch();
}

bool TFMSuchen::runSearch() {
    const int step = direction() == 0 ? 1 : -1;
    auto pass = m_book.pass();
    int position = m_main.CurrentPosition();
    if (range() == 1) {
        position = step > 0 ? 0 : pass->FlightCount() + 1;
        // A later "Weitersuchen" goes on from the hit.
        setRange(0);
    }
    if (!m_continue) activateWindow();
    repaint();
    ProgressBar->setRange(0, pass->FlightCount());
    ProgressBar->setVisible(true);
    m_idle = false;
    m_flightsChanged = false;

    const QPointer<TFMSuchen> self(this);
    const QPointer<TFMHaupt> mainWindow(&m_main);
    auto search = std::make_unique<FlightSearch>(m_criteria);
    FlightSearch::Stop stop = FlightSearch::Stop::Paused;
    int slot = 0;
    bool cancelled = false;
    while (stop == FlightSearch::Stop::Paused) {
        // "Abbrechen", closing the window and changes of the logbook act here.
        QCoreApplication::processEvents();
        if (!self) return false;
        if (m_idle || m_closing || !mainWindow || !mainWindow->isVisible()) {
            cancelled = true;
            break;
        }
        if (m_flightsChanged) {
            m_flightsChanged = false;
            pass = m_book.pass();
            search = std::make_unique<FlightSearch>(m_criteria);
            ProgressBar->setMaximum(pass->FlightCount());
        }
        ProgressBar->setValue(std::clamp(position - position % 10, 0, pass->FlightCount()));
        stop = search->Advance(*pass, &position, step, kFlightsPerStep, &slot);
    }
    ProgressBar->setVisible(false);
    Timer->stop();
    m_idle = true;
    if (cancelled) return !m_closing;
    // The user has been told that the logbook could not be read: "no more hits" would be untrue.
    if (!pass->ok()) return !m_closing;
    m_book.tellDamage(*pass);
    if (!self) return false;
    if (stop == FlightSearch::Stop::End) {
        MessageBox::tell(this, kSearchCaption, QStringLiteral("Keine weiteren Fundstellen"),
                         MessageBox::Icon::Stop);
        if (!self) return false;
        activateWindow();
        return true;
    }
    // The main window may have started an entry meanwhile: its mask is not replaced.
    if (m_main.EntryState() != Browse) return true;
    m_crewSlot = slot;
    m_main.ShowFlight(position);
    // The matched name must be in sight: the rows keep the scroll of the flight shown before.
    if (slot > 4)
        m_main.mask().SetCrewScroll(slot - 3);
    else if (slot > 0 && slot < m_main.mask().CrewScrollPos())
        m_main.mask().SetCrewScroll(slot);
    // The search window stays open for the next search, out of the way of the hit: as a window of
    // the main window it stays in front of it whatever is raised.
    m_main.MoveAside(this);
    m_main.activateWindow();
    m_main.raise();
    return !self.isNull();
}

void TFMSuchen::btnAbbruchClick() {
    if (m_idle)
        close();
    else
        m_idle = true;
}

void TFMSuchen::startContinue() {
    m_continue = true;
    Timer->start(300);
    ButtonOkClick();
}

void TFMSuchen::reject() {
    // Escape closes the window, as its close box does, also during a search.
    close();
}

void TFMSuchen::closeEvent(QCloseEvent* event) {
    m_closing = true;
    m_idle = true;
    Timer->stop();
    emit formClosed();
    // Not the dialog's own handler: that would reject, which closes again.
    event->accept();
}

bool TFMSuchen::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QDialog::event(event);
}

bool TFMSuchen::eventFilter(QObject* watched, QEvent* event) {
    // The procedure box that has the focus stands out from the others.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        if (auto* box = qobject_cast<QCheckBox*>(watched)) {
            const quint32 color = kSystemColorFlag | (event->type() == QEvent::FocusIn ? 21u : 15u);
            QPalette palette = box->palette();
            palette.setColor(QPalette::Window, colorFromValue(color));
            box->setPalette(palette);
            box->setAutoFillBackground(true);
        }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// The main window's search commands.

TFMSuchen* TFMHaupt::searchDialog() const {
    return m_searchDialog;
}

void TFMHaupt::OpenSearchDialog() {
    if (bringToFront(m_searchDialog)) return;
    auto* dialog = new TFMSuchen(*this, m_book);
    m_searchDialog = dialog;
    // Closed is gone for the next "Suchen", even before the window object is discarded.
    connect(dialog, &TFMSuchen::formClosed, this, [this, dialog] {
        if (m_searchDialog == dialog) m_searchDialog = nullptr;
    });
    CenterOverMainForm(dialog);
    dialog->show();
}

void TFMHaupt::ContinueSearch() {
    if (EntryState() != Browse) return;
    if (!m_searchDialog) {
        OpenSearchDialog();
        return;
    }
    m_searchDialog->startContinue();
}

void TFMHaupt::SearchFromCrewInfo(const QString& text, const QString& field) {
    OpenSearchDialog();
    TFMSuchen* s = m_searchDialog;
    s->Searchstring2->clear();
    s->Searchstring3->clear();
    s->setOps(SearchOp::Oder, SearchOp::Oder);
    s->CBVonBis->setChecked(false);
    s->CBGrossKlein->setChecked(true);
    for (const SearchFieldInfo& info : searchFields()) s->fieldBox(info.field)->setChecked(false);
    s->CBWholeWord->setChecked(true);
    if (field == QLatin1String("CrewNames")) s->CBInCrew->setChecked(true);
    if (field == QLatin1String("Callsign")) s->CBinCallsign->setChecked(true);
    if (field == QLatin1String("Registration")) s->CBinRegistration->setChecked(true);
    s->Searchstring1->setText(text);
    s->CBTextSearch->setChecked(true);
    s->CBVerfSearch->setChecked(false);
    s->FormActivate();
    s->setRange(1);
    s->setDirection(1);
    s->ButtonOkClick();
}

}  // namespace velmarsk
