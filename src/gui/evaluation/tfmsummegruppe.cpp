#include "evaluation/tfmsummegruppe.h"

#include "controls/subs.h"
#include "controls/tdistime.h"
#include "controls/teditname.h"
#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "dialogs/errormessage.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "evaluation/crewlists.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "settings/settingsbatch.h"
#include "storage/flightpass.h"
#include "storage/messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace velmarsk {
namespace {

// The summed fields as the entry mask captions them, in the order of kGroupFields, day and night
// below the caption to keep the columns narrow; a time shows as hours and minutes, a count as a
// number.
struct SumColumn {
    const char* caption;
    bool isTime;
};
constexpr SumColumn kSumColumns[] = {
    {"ATE", true},
    {"1.LF", true},
    {"2.LF", true},
    {"IP", true},
    {"VFR\nDay", true},
    {"VFR\nNite", true},
    {"IFR-ges.\nDay", true},
    {"IFR-ges.\nNite", true},
    {"Simulator\nDay", true},
    {"Simulator\nNite", true},
    {"Land.\nDay", false},
    {"Land.\nNite", false},
};
static_assert(std::size(kSumColumns) == kGroupFields.size());

// The groupings as the entry mask names their fields, in the order of allGroupings().
QString groupCaption(GroupBy by) {
    switch (by) {
        case GroupBy::Aircraft:
            return QStringLiteral("Aircraft");
        case GroupBy::Registration:
            return QStringLiteral("Registration");
        case GroupBy::Callsign:
            return QStringLiteral("Callsign");
        case GroupBy::Tctp:
            return QStringLiteral("TCTP Nr");
        case GroupBy::Duty:
            return QStringLiteral("Crew-duty (1. Zeile)");
        case GroupBy::Year:
            return QStringLiteral("Jahr");
    }
    return {};
}

constexpr int kFirstSum = 2;  // group, flights, then the sums
constexpr int kColumns = kFirstSum + int(kGroupFields.size());

QString cellText(const GroupRow& row, int column) {
    // Flights without the field filled in are a group too, and should not look like a gap.
    if (column == 0) return row.key.isEmpty() ? QStringLiteral("(leer)") : row.key;
    if (column == 1) return QString::number(row.flights);
    const auto i = std::size_t(column - kFirstSum);
    const qint64 v = row.sums[i];
    return kSumColumns[i].isTime ? TDisTime::formatMinutes(quint32(v), true).trimmed() : QString::number(v);
}

qint64 cellNumber(const GroupRow& row, int column) {
    return column == 1 ? row.flights : row.sums[std::size_t(column - kFirstSum)];
}

}  // namespace

TFMSummeGruppe::TFMSummeGruppe(FlightBook& book, TFMHaupt* mainWindow)
    : QDialog(mainWindow), m_book(book), m_settings(book.settings()) {
    setObjectName(QStringLiteral("FMSummeGruppe"));
    setWindowTitle(QStringLiteral("Summen je Gruppe"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setSizeGripEnabled(true);
    buildLayout();

    connect(BtnCalc, &QPushButton::clicked, this,
            [this] { runShowingErrors(this, [this] { BtnCalcClick(); }); });
    connect(BtnFertig, &QPushButton::clicked, this, &QWidget::close);
    connect(CBGruppe, &QComboBox::currentIndexChanged, this, &TFMSummeGruppe::recalculateQuietly);
    connect(TBSummen->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        // A new column starts with the largest figure (or the first group name) on top.
        const Qt::SortOrder first = column == 0 ? Qt::AscendingOrder : Qt::DescendingOrder;
        const Qt::SortOrder other = first == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        sortByColumn(column, column == m_sortColumn && m_sortOrder == first ? other : first);
    });
    auto* copy = new QAction(QStringLiteral("Kopieren"), this);
    copy->setObjectName(QStringLiteral("Kopieren"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    connect(copy, &QAction::triggered, this, &TFMSummeGruppe::copyTable);
    addAction(copy);
    TBSummen->setContextMenuPolicy(Qt::ActionsContextMenu);
    TBSummen->addAction(copy);

    // Changes are followed once the command that made them is over: a batch of flights announces
    // itself once.
    m_followTimer = new QTimer(this);
    m_followTimer->setSingleShot(true);
    m_followTimer->setInterval(0);
    connect(m_followTimer, &QTimer::timeout, this, &TFMSummeGruppe::recalculateQuietly);
    connect(&m_book, &FlightBook::flightsChanged, m_followTimer, qOverload<>(&QTimer::start));
}

TFMSummeGruppe::~TFMSummeGruppe() {
    writeSettings();
}

TFMSummeGruppe* TFMSummeGruppe::OpenGroupTotals(FlightBook& book, TFMHaupt* mainWindow) {
    auto* w = new TFMSummeGruppe(book, mainWindow);
    Settings& s = book.settings();
    {
        const QSignalBlocker quiet(w->CBGruppe);  // calculated once, below
        const auto by = groupByFromName(s.text(setting::GRUPPENSUMME::GRUPPE));
        w->CBGruppe->setCurrentIndex(std::max(0, w->CBGruppe->findData(int(by.value_or(GroupBy::Aircraft)))));
    }
    const int width = int(s.integer(setting::GRUPPENSUMME::WIDTH));
    const int height = int(s.integer(setting::GRUPPENSUMME::HEIGHT));
    if (width > 0 && height > 0)
        w->resize(std::max(width, w->minimumSizeHint().width()),
                  std::max(height, w->minimumSizeHint().height()));
    // Where it was last; the first time over the main window, once its size is known.
    const bool placed = s.integer(setting::GRUPPENSUMME::LEFT) || s.integer(setting::GRUPPENSUMME::TOP);
    if (placed)
        w->move(int(s.integer(setting::GRUPPENSUMME::LEFT)), int(s.integer(setting::GRUPPENSUMME::TOP)));

    // The whole career: from the first flight to the last.
    const auto pass = book.pass();
    const int count = pass->FlightCount();
    const QDate today = QDate::currentDate();
    w->EDVon->setText(DateText(count > 0 ? dayNumberToDate(pass->DateAt(1)) : today));
    w->EDBis->setText(DateText(count > 0 ? dayNumberToDate(pass->DateAt(count)) : today));
    w->show();
    runShowingErrors(w, [w] { w->BtnCalcClick(); });
    // The first time as wide as every column needs, as far as the screen allows.
    if (width <= 0 || height <= 0) w->fitToTable();
    if (!placed) CenterOverMainForm(w);
    return w;
}

void TFMSummeGruppe::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    EDVon = TEditName::dateField(this, "EDVon");
    EDBis = TEditName::dateField(this, "EDBis");
    auto* von = new QLabel(QStringLiteral("vom:"), this);
    auto* bis = new QLabel(QStringLiteral("bis:"), this);
    von->setBuddy(EDVon);
    bis->setBuddy(EDBis);
    CBGruppe = new QComboBox(this);
    CBGruppe->setObjectName(QStringLiteral("CBGruppe"));
    for (GroupBy by : allGroupings()) CBGruppe->addItem(groupCaption(by), int(by));
    auto* gruppe = new QLabel(QStringLiteral("&Gruppe:"), this);
    gruppe->setBuddy(CBGruppe);
    top->addWidget(von);
    top->addWidget(EDVon);
    top->addSpacing(8);
    top->addWidget(bis);
    top->addWidget(EDBis);
    top->addSpacing(16);
    top->addWidget(gruppe);
    top->addWidget(CBGruppe);
    top->addStretch();
    outer->addLayout(top);

    TBSummen = new QTableWidget(0, kColumns, this);
    TBSummen->setObjectName(QStringLiteral("TBSummen"));
    TBSummen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TBSummen->setSelectionBehavior(QAbstractItemView::SelectRows);
    TBSummen->verticalHeader()->hide();
    TBSummen->verticalHeader()->setDefaultSectionSize(TBSummen->fontMetrics().height() + 6);
    TBSummen->horizontalHeader()->setSortIndicatorShown(true);
    TBSummen->horizontalHeader()->setSectionsClickable(true);
    TBSummen->setWordWrap(false);
    outer->addWidget(TBSummen, 1);

    auto* bottom = new QHBoxLayout;
    BtnCalc = new QPushButton(QStringLiteral("&Berechnen"), this);
    BtnCalc->setObjectName(QStringLiteral("BtnCalc"));
    BtnCalc->setDefault(true);
    BtnFertig = new QPushButton(QStringLiteral("&Fertig"), this);
    BtnFertig->setObjectName(QStringLiteral("BtnFertig"));
    BtnFertig->setAutoDefault(false);
    bottom->addStretch();
    bottom->addWidget(BtnCalc);
    bottom->addWidget(BtnFertig);
    outer->addLayout(bottom);
}

GroupBy TFMSummeGruppe::grouping() const {
    return GroupBy(CBGruppe->currentData().toInt());
}

void TFMSummeGruppe::BtnCalcClick() {
    // Both texts are read before anything changes, so a bad one leaves the figures as they were.
    const QDate von = FieldDate(EDVon->text());
    const QDate bis = FieldDate(EDBis->text());
    calculate(von, bis);
}

void TFMSummeGruppe::recalculateQuietly() {
    try {
        calculate(FieldDate(EDVon->text()), FieldDate(EDBis->text()));
    } catch (const DateConversionError&) {
        // A range being typed is no reason for a message; the old figures stay until it is a date.
    }
}

void TFMSummeGruppe::calculate(const QDate& von, const QDate& bis) {
    m_followTimer->stop();
    // A new pass each time: the one before may predate changed flights.
    const auto pass = m_book.pass();
    GroupTotals totals = CalculateGroupTotals(*pass, grouping(), von, bis);
    if (!pass->ok()) {
        // Sums over the flights that could be read would pass for the pilot's: the user has been
        // told, the table stays empty until a pass succeeds.
        m_result.reset();
        fillTable();
        return;
    }
    m_book.tellDamage(*pass);
    m_result = std::move(totals);
    sortByColumn(m_sortColumn, m_sortOrder);
}

void TFMSummeGruppe::sortByColumn(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumns) return;
    m_sortColumn = column;
    m_sortOrder = order;
    if (m_result) {
        std::vector<GroupRow>& rows = m_result->rows;
        const bool ascending = order == Qt::AscendingOrder;
        // Stable, so equal figures keep the order the sums came in.
        if (column == 0) {
            const QCollator collator = CrewLists::collator();
            std::stable_sort(rows.begin(), rows.end(), [&](const GroupRow& a, const GroupRow& b) {
                const int c = collator.compare(a.key, b.key);
                return ascending ? c < 0 : c > 0;
            });
        } else {
            std::stable_sort(rows.begin(), rows.end(), [&](const GroupRow& a, const GroupRow& b) {
                return ascending ? cellNumber(a, column) < cellNumber(b, column)
                                 : cellNumber(a, column) > cellNumber(b, column);
            });
        }
    }
    fillTable();
}

void TFMSummeGruppe::fillTable() {
    QStringList headers{groupCaption(grouping()), QStringLiteral("Flüge")};
    for (const SumColumn& c : kSumColumns) headers << QString::fromLatin1(c.caption);
    TBSummen->setHorizontalHeaderLabels(headers);
    TBSummen->horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
    if (!m_result) {
        TBSummen->setRowCount(0);
        return;
    }
    const std::vector<GroupRow>& rows = m_result->rows;
    TBSummen->setRowCount(int(rows.size()) + 1);
    auto put = [this](int r, const GroupRow& row, bool total) {
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(c == 0 && total ? QStringLiteral("Summe") : cellText(row, c));
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            if (total) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            TBSummen->setItem(r, c, item);
        }
    };
    for (std::size_t i = 0; i < rows.size(); ++i) put(int(i), rows[i], false);
    put(int(rows.size()), m_result->total, true);
    TBSummen->resizeColumnsToContents();
}

void TFMSummeGruppe::fitToTable() {
    const QHeaderView* header = TBSummen->horizontalHeader();
    const int tableWidth = header->length() + 2 * TBSummen->frameWidth() + 2;
    const int extra = width() - TBSummen->viewport()->width() - 2 * TBSummen->frameWidth();
    int wanted = tableWidth + std::max(0, extra);
    if (const QScreen* screen = this->screen())
        wanted = std::min(wanted, screen->availableGeometry().width());
    resize(std::max(wanted, minimumSizeHint().width()), std::max(height(), 360));
}

QString TFMSummeGruppe::tableText() const {
    QStringList lines;
    QStringList header;
    for (int c = 0; c < TBSummen->columnCount(); ++c)
        header << TBSummen->horizontalHeaderItem(c)->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
    lines << header.join(QLatin1Char('\t'));
    for (int r = 0; r < TBSummen->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < TBSummen->columnCount(); ++c) {
            const QTableWidgetItem* item = TBSummen->item(r, c);
            // A tab or line break in a name would shift the spreadsheet's columns or rows.
            QString text = item ? item->text() : QString();
            text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
            cells << text;
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TFMSummeGruppe::copyTable() {
    QApplication::clipboard()->setText(tableText());
}

void TFMSummeGruppe::writeSettings() {
    try {
        SettingsBatch batch(m_settings);
        m_settings.write(setting::GRUPPENSUMME::LEFT, qint64(x()));
        m_settings.write(setting::GRUPPENSUMME::TOP, qint64(y()));
        m_settings.write(setting::GRUPPENSUMME::WIDTH, qint64(width()));
        m_settings.write(setting::GRUPPENSUMME::HEIGHT, qint64(height()));
        m_settings.write(setting::GRUPPENSUMME::GRUPPE, groupByName(grouping()));
        batch.commit();
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(nullptr, msg::fileError(), e.message(), MessageBox::Icon::Error);
    }
}

}  // namespace velmarsk
