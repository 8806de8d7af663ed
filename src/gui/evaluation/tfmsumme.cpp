#include "evaluation/tfmsumme.h"

#include "controls/colors.h"
#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/tdistime.h"
#include "controls/tdisverf.h"
#include "controls/teditname.h"
#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "dialogs/errormessage.h"
#include "entry/tfmhaupt.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

namespace velmarsk {
namespace {

constexpr quint32 kButtonFace = kSystemColorFlag | 15u;

// Hints the cells carry from the start; a requirement check may replace them.
const std::pair<const char*, const char*> kDesignHints[] = {
    {"LGesNite", "Vfr und Ifr"},
    {"LGesHoodDay", "Keine Forderung"},
    {"LGesHoodNite", "Keine Forderung"},
    {"LGesImcDay", "Keine Forderung"},
    {"LGesImcNite", "Keine Forderung"},
    {"LGesNPrecNite", "Keine Forderung"},
    {"LGes1911Hood", "Keine Forderung"},
    {"LGes1911HoodNite", "Keine Forderung"},
    {"LGes1911NPrecNite", "Keine Forderung"},
};

// What a figure counts where the same word means something else elsewhere: on the cell and its row
// caption, whatever a requirement check adds.
const std::pair<const char*, const char*> kExplanations[] = {
    {"LGesDay",
     "VFR Tag + VFR Nacht + IFR Tag + IFR Nacht + 2. Zeit im gew\u00e4hlten Zeitraum, ohne Simulatorzeit.\n"
     "Nicht die Flugzeit (ATE) wie \u201eGesamt\u201c im Hauptfenster und \u201eFlugzeit\u201c der "
     "Flugbuchseiten."},
};

const char* const kLastFlightCaptions[kLastFlightKinds] = {"IFR", "AR", "Nite", "IP", "NB"};

// The settings the figures depend on: whole sections, and the birthday of its section.
bool affectsTotals(const QString& section, const QString& key) {
    auto is = [](const QString& text, const QString& name) {
        return text.compare(name, Qt::CaseInsensitive) == 0;
    };
    const SettingKey& birthday = setting::USER::BIRTHDAY;
    return is(section, setting::TCTP::NBSYMB.sectionName()) ||
           is(section, setting::SETTINGS::TCTPNOTFULL.sectionName()) ||
           (is(section, birthday.sectionName()) && is(key, birthday.keyName()));
}

void setBackground(QWidget* cell, std::optional<quint32> colour) {
    QPalette p = cell->palette();
    p.setColor(QPalette::Window, colorFromValue(colour.value_or(kButtonFace), p));
    cell->setPalette(p);
}

QLabel* newCell(bool isTime, const QString& name, QWidget* parent) {
    QLabel* cell = isTime ? static_cast<QLabel*>(new TDisTime(parent)) : new TDisVerf(parent);
    cell->setObjectName(name);
    // Wide enough for the hours of a long career; every cell alike, so the columns line up.
    cell->setFixedWidth(std::max(68, cell->fontMetrics().horizontalAdvance(QStringLiteral("99999:99 ")) + 8));
    cell->setAutoFillBackground(true);
    setBackground(cell, std::nullopt);
    return cell;
}

QLabel* caption(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

}  // namespace

TFMSumme::TFMSumme(FlightBook& book, TFMHaupt* mainWindow)
    : QDialog(mainWindow), m_book(book), m_main(mainWindow) {
    setObjectName(QStringLiteral("FMSumme"));
    setWindowTitle(QStringLiteral("Summe aller Verfahren und Zeiten"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildLayout();
    FormCreate();

    connect(BtnCalc, &QPushButton::clicked, this,
            [this] { runShowingErrors(this, [this] { BtnCalcClick(); }); });
    connect(BtnFertig, &QPushButton::clicked, this, &TFMSumme::BtnFertigClick);
    // Changes are followed once the command that made them is over: the options dialog writes many
    // keys in one go (and may take them all back), a batch of flights announces itself once.
    m_followTimer = new QTimer(this);
    m_followTimer->setSingleShot(true);
    m_followTimer->setInterval(0);
    connect(m_followTimer, &QTimer::timeout, this, &TFMSumme::recalculateQuietly);
    connect(&m_book, &FlightBook::flightsChanged, m_followTimer, qOverload<>(&QTimer::start));
    connect(&m_book, &FlightBook::settingsChanged, this, [this](const QString& section, const QString& key) {
        if (affectsTotals(section, key)) m_followTimer->start();
    });
}

// Closing releases the window (WA_DeleteOnClose); the main window's reference empties itself.
TFMSumme::~TFMSumme() = default;

TFMSumme* TFMSumme::OpenTotalsWindow(FlightBook& book, TFMHaupt* mainWindow) {
    auto* w = new TFMSumme(book, mainWindow);
    // Centred at its real size, which the layout gives it only when asked.
    w->adjustSize();
    CenterOverMainForm(w);
    const int year = w->today().year();
    w->EDVon->setText(DateText(QDate(year, 1, 1)));
    w->EDBis->setText(DateText(QDate(year, 12, 31)));
    w->show();
    runShowingErrors(w, [w] { w->BtnCalcClick(); });
    return w;
}

QDate TFMSumme::today() const {
    return m_today.isValid() ? m_today : QDate::currentDate();
}

void TFMSumme::FormCreate() {
    ProgressBar->hide();
}

void TFMSumme::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    m_cells.assign(totalsCells().size(), nullptr);
    GBVfr = buildCellGroup(TotalsGroup::General, "GBVfr", QStringLiteral("Allgemein"), false);
    GroupBox1 = buildCellGroup(TotalsGroup::Vfr, "GroupBox1", QStringLiteral("VFR"), true);
    GroupBox2 = buildCellGroup(TotalsGroup::Ifr, "GroupBox2", QStringLiteral("IFR"), true);
    GB1911 = buildCellGroup(TotalsGroup::Zdv1911, "GB1911", QStringLiteral("ZDv 19/11"), true);
    buildLastFlightGroup();
    left->addWidget(GBVfr);
    left->addWidget(GroupBox1);
    left->addStretch();
    right->addWidget(GroupBox2);
    right->addWidget(GB1911);
    right->addWidget(GBLastFlight);
    LblStand = new QLabel(this);
    LblStand->setObjectName(QStringLiteral("LblStand"));
    LblStand->setWordWrap(true);
    LblStand->setToolTip(QStringLiteral(
        "Plan: die Forderung gleichmäßig über das Jahr verteilt (ZDv 19/11: über das Geburtsjahr)"));
    keepRoomWhenHidden(LblStand);
    right->addWidget(LblStand);
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);
    outer->addLayout(columns);

    auto* bottom = new QHBoxLayout;
    EDVon = TEditName::dateField(this, "EDVon");
    EDBis = TEditName::dateField(this, "EDBis");
    auto* von = caption(QStringLiteral("vom:"), this);
    auto* bis = caption(QStringLiteral("bis:"), this);
    von->setBuddy(EDVon);
    bis->setBuddy(EDBis);
    BtnCalc = new QPushButton(QStringLiteral("&Berechnen"), this);
    BtnCalc->setObjectName(QStringLiteral("BtnCalc"));
    BtnCalc->setDefault(true);
    BtnFertig = new QPushButton(QStringLiteral("&Fertig"), this);
    BtnFertig->setObjectName(QStringLiteral("BtnFertig"));
    BtnFertig->setAutoDefault(false);
    bottom->addWidget(von);
    bottom->addWidget(EDVon);
    bottom->addSpacing(8);
    bottom->addWidget(bis);
    bottom->addWidget(EDBis);
    bottom->addStretch();
    bottom->addWidget(BtnCalc);
    bottom->addWidget(BtnFertig);
    outer->addLayout(bottom);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setMaximumHeight(12);
    keepRoomWhenHidden(ProgressBar);
    outer->addWidget(ProgressBar);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox* TFMSumme::buildCellGroup(TotalsGroup group, const char* name, const QString& title,
                                    bool twoColumns) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    int row = 0;
    if (twoColumns) {
        grid->addWidget(caption(QStringLiteral("Tag"), box), 0, 1, Qt::AlignHCenter);
        grid->addWidget(caption(QStringLiteral("Nacht"), box), 0, 2, Qt::AlignHCenter);
    }
    const char* current = nullptr;
    QLabel* rowCaption = nullptr;
    const auto cells = totalsCells();
    std::array<bool, 2> filled{};
    auto closeRow = [&] {
        // A row with a night cell only gets an empty, unnamed day cell, so the columns line up.
        if (current && twoColumns && !filled[0]) grid->addWidget(newCell(true, QString(), box), row, 1);
    };
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const TotalsCell& c = cells[i];
        if (c.group != group) continue;
        if (!current || std::strcmp(current, c.row) != 0) {
            closeRow();
            current = c.row;
            filled = {};
            ++row;
            rowCaption = caption(QString::fromUtf8(c.row), box);
            grid->addWidget(rowCaption, row, 0);
        }
        QLabel* cell = newCell(c.isTime, c.cellName(), box);
        for (const auto& [cellName, text] : kExplanations)
            if (c.cellName() == QLatin1String(cellName)) {
                m_explanations.insert(cell, QString::fromUtf8(text));
                cell->setToolTip(QString::fromUtf8(text));
                rowCaption->setToolTip(QString::fromUtf8(text));
            }
        grid->addWidget(cell, row, c.night && twoColumns ? 2 : 1);
        filled[c.night ? 1 : 0] = true;
        m_cells[i] = cell;
    }
    closeRow();
    for (const auto& [cellName, hint] : kDesignHints) {
        const int i = totalsCellIndex(cellName);
        if (m_cells[std::size_t(i)] && totalsCells()[std::size_t(i)].group == group) {
            m_designHints.insert(m_cells[std::size_t(i)], QString::fromUtf8(hint));
            m_cells[std::size_t(i)]->setToolTip(hintFor(m_cells[std::size_t(i)], QString::fromUtf8(hint)));
        }
    }
    return box;
}

void TFMSumme::buildLastFlightGroup() {
    GBLastFlight = new QGroupBox(QStringLiteral("Letzter Flug"), this);
    GBLastFlight->setObjectName(QStringLiteral("GBLastFlight"));
    GBLastFlight->setToolTip(QStringLiteral("Gelb > 60 Tage, Rot > 90 Tage"));
    keepRoomWhenHidden(GBLastFlight);
    auto* grid = new QGridLayout(GBLastFlight);
    grid->setVerticalSpacing(2);
    for (int k = 0; k < kLastFlightKinds; ++k) {
        auto* cell = new QLabel(GBLastFlight);
        cell->setObjectName(QString::fromLatin1(lastFlightCell(k)));
        cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cell->setFont(mappedFont(QStringLiteral("Courier New")));
        cell->setTextFormat(Qt::PlainText);
        cell->setAutoFillBackground(true);
        cell->setMinimumWidth(cell->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00  ")) + 8);
        cell->installEventFilter(this);
        setBackground(cell, std::nullopt);
        grid->addWidget(caption(QString::fromLatin1(kLastFlightCaptions[k]), GBLastFlight), k, 0);
        grid->addWidget(cell, k, 1);
        m_lastCells[std::size_t(k)] = cell;
    }
}

void TFMSumme::BtnCalcClick() {
    // Both texts are read before anything changes, so a bad one leaves the figures as they were.
    const QDate von = FieldDate(EDVon->text());
    const QDate bis = FieldDate(EDBis->text());
    calculate(von, bis);
}

void TFMSumme::BtnFertigClick() {
    close();
}

void TFMSumme::recalculateQuietly() {
    try {
        calculate(FieldDate(EDVon->text()), FieldDate(EDBis->text()));
    } catch (const DateConversionError&) {
        // A range being typed is no reason for a message; the old figures stay until it is a date.
    }
}

void TFMSumme::calculate(const QDate& von, const QDate& bis) {
    if (m_calculating) return;
    m_calculating = true;
    m_followTimer->stop();
    ProgressBar->setMinimum(0);
    ProgressBar->setValue(0);
    ProgressBar->show();
    struct Done {
        TFMSumme* w;
        ~Done() {
            w->ProgressBar->hide();
            w->m_calculating = false;
        }
    } done{this};
    // A new pass each time: the one before may predate changed flights.
    const auto pass = m_book.pass();
    TotalsResult r =
        CalculateTotals(*pass, m_book.settings(), von, bis, today(), [this](int value, int maximum) {
            ProgressBar->setMaximum(std::max(maximum, 1));
            ProgressBar->setValue(std::min(value, ProgressBar->maximum()));
        });
    if (!pass->ok()) {
        // Sums over the flights that could be read would pass for the pilot's totals: the user has
        // been told, the figures stay empty until a pass succeeds.
        clearFigures();
        return;
    }
    m_book.tellDamage(*pass);
    ShowTotals(r);
    ShowLastFlight(r);
    GBLastFlight->setVisible(r.requirementYear);
    showChecks(r);
    showBirthday(r);
    m_result = std::move(r);
}

void TFMSumme::ShowTotals(const TotalsResult& r) {
    const auto cells = totalsCells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        QLabel* cell = m_cells[i];
        const auto value = quint32(std::max<qint32>(r.values[i], 0));
        if (auto* t = qobject_cast<TDisTime*>(cell))
            t->setMinutes(value);
        else if (auto* v = qobject_cast<TDisVerf*>(cell))
            v->setValue(value);
        setBackground(cell, std::nullopt);
    }
}

void TFMSumme::clearFigures() {
    for (QLabel* cell : m_cells)
        if (cell) {
            cell->clear();
            cell->setToolTip(hintFor(cell, m_designHints.value(cell)));
            setBackground(cell, std::nullopt);
        }
    for (QLabel* cell : m_lastCells) {
        cell->clear();
        setBackground(cell, std::nullopt);
        cell->setCursor(Qt::ArrowCursor);
        cell->setToolTip(QString());
    }
    LblStand->setVisible(false);
    m_result.reset();
}

void TFMSumme::ShowLastFlight(const TotalsResult& r) {
    for (int k = 0; k < kLastFlightKinds; ++k) {
        QLabel* cell = m_lastCells[std::size_t(k)];
        const Word d = r.lastFlight[std::size_t(k)];
        cell->setText(d > 0 ? DateText(dayNumberToDate(d)) + QLatin1Char(' ') : QString());
        setBackground(cell, r.lastFlightColour[std::size_t(k)]);
        const bool canShow = r.lastFlightPosition[std::size_t(k)] > 0;
        cell->setCursor(canShow ? Qt::PointingHandCursor : Qt::ArrowCursor);
        cell->setToolTip(canShow ? QStringLiteral("Klicken zeigt diesen Flug im Hauptfenster") : QString());
    }
}

QString TFMSumme::hintFor(QLabel* cell, const QString& hint) const {
    const QString explanation = m_explanations.value(cell);
    if (explanation.isEmpty() || hint.isEmpty()) return explanation + hint;
    return explanation + QLatin1Char('\n') + hint;
}

QString TFMSumme::paceText(const PaceFigure& p, bool isTime) const {
    auto amount = [isTime](qint64 v) { return isTime ? minutesText(v) : QString::number(v); };
    if (p.remaining == 0) return QStringLiteral("erfüllt");
    return QStringLiteral("noch %1, Plan bis heute %2 - %3")
        .arg(amount(p.remaining), amount(p.planned),
             p.onTrack ? QStringLiteral("im Plan") : QStringLiteral("hinter Plan"));
}

void TFMSumme::showChecks(const TotalsResult& r) {
    for (QLabel* cell : m_cells)
        if (cell) cell->setToolTip(hintFor(cell, m_designHints.value(cell)));
    const quint32 notFull = quint32(m_book.settings().integer(setting::SETTINGS::TCTPNOTFULL));
    int onTrack = 0;
    for (const RequirementCheck& c : r.checks) {
        QLabel* cell = m_cells[std::size_t(c.cell)];
        QString hint = c.hint;
        for (const PaceFigure& p : r.pace)
            if (p.cell == c.cell) {
                hint += QLatin1Char('\n') + paceText(p, totalsCells()[std::size_t(c.cell)].isTime);
                onTrack += p.onTrack ? 1 : 0;
            }
        cell->setToolTip(hintFor(cell, hint));
        if (c.marked) setBackground(cell, notFull);
    }
    const bool showPace = r.requirementYear && !r.pace.empty();
    LblStand->setVisible(showPace);
    LblStand->setText(showPace
                          ? QStringLiteral("Im Plan: %1 von %2 Forderungen").arg(onTrack).arg(r.pace.size())
                          : QString());
}

void TFMSumme::showBirthday(const TotalsResult& r) {
    switch (r.birthdayState) {
        case BirthdayState::Valid:
            GB1911->setTitle(QStringLiteral("ZDv 19/11"));
            GB1911->setToolTip(QStringLiteral("Geburtstag: ") + DateText(r.birthday));
            break;
        case BirthdayState::Missing:
            GB1911->setTitle(QStringLiteral("ZDv 19/11 - Geburtstag fehlt"));
            GB1911->setToolTip(QStringLiteral("Geburtstag fehlt"));
            break;
        case BirthdayState::Invalid:
            GB1911->setTitle(QStringLiteral("ZDv 19/11 - Geburtstag ungültig"));
            GB1911->setToolTip(QStringLiteral("Geburtstag ungültig: '%1'").arg(r.birthdayText));
            break;
    }
}

bool TFMSumme::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        for (int k = 0; k < kLastFlightKinds; ++k)
            if (watched == m_lastCells[std::size_t(k)]) {
                lastFlightClicked(k);
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void TFMSumme::lastFlightClicked(int kind) {
    if (!m_result || !m_main) return;
    const int position = m_result->lastFlightPosition[std::size_t(kind)];
    // Only a window that is just showing flights may be moved; an entry in progress stays.
    if (position <= 0 || m_main->EntryState() != Browse) return;
    m_main->ShowFlight(position);
    // The totals stay open beside the flight they pointed to, not over it.
    m_main->MoveAside(this);
}

}  // namespace velmarsk
