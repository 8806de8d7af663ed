#include "extras/tfmgetgrafdata.h"

#include "controls/maskedlineedit.h"
#include "controls/subs.h"
#include "controls/tgcheckbox.h"
#include "dates/daynumber.h"
#include "dialogs/errormessage.h"
#include "dialogs/messagebox.h"
#include "extras/tfmgrafik.h"
#include "flightbook/flightbook.h"
#include "storage/flightpass.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace velmarsk {
namespace {

const QString kVonMask = QStringLiteral("Von 0000;1;_");
const QString kBisMask = QStringLiteral("Bis  0000;1;_");

// The place of the separator among the panel's children: the time boxes before it, the counts
// after it.
constexpr int kSeparatorChild = 9;

}  // namespace

TFMGetGrafData::TFMGetGrafData(FlightBook& book, QWidget* mainWindow)
    : QDialog(mainWindow), m_book(book), m_main(mainWindow) {
    setObjectName(QStringLiteral("FMGetGrafData"));
    setWindowTitle(QStringLiteral("Grafik darstellen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildLayout();
    FormCreate();
    connect(BtnOK, &QPushButton::clicked, this, [this] { runShowingErrors(this, [this] { BtnOKClick(); }); });
    connect(BtnCancel, &QPushButton::clicked, this, &TFMGetGrafData::BtnCancelClick);
}

// Closing releases the window (WA_DeleteOnClose); the main window's reference empties itself.
TFMGetGrafData::~TFMGetGrafData() = default;

TFMGetGrafData* TFMGetGrafData::OpenChart(FlightBook& book, QWidget* mainWindow) {
    if (book.FlightCount() == 0) {
        MessageBox::tell(mainWindow, QString(), chartMessage(ChartRefusal::EmptyLogbook),
                         MessageBox::Icon::Warning);
        return nullptr;
    }
    auto* w = new TFMGetGrafData(book, mainWindow);
    w->adjustSize();
    CenterOverMainForm(w);
    w->show();
    return w;
}

void TFMGetGrafData::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Grafisch darstellen:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    Label1->setFont(bold);
    outer->addWidget(Label1);

    auto* top = new QHBoxLayout;
    auto* years = new QVBoxLayout;
    EDVon = new MaskedLineEdit(this);
    EDVon->setObjectName(QStringLiteral("EDVon"));
    EDVon->setEditMask(kVonMask);
    EDBis = new MaskedLineEdit(this);
    EDBis->setObjectName(QStringLiteral("EDBis"));
    EDBis->setEditMask(kBisMask);
    for (MaskedLineEdit* e : {EDVon, EDBis}) {
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("Bis  00000")) + 12);
        years->addWidget(e);
    }
    years->addStretch();
    top->addLayout(years);

    RGMode = new QGroupBox(QStringLiteral("Darstellung"), this);
    RGMode->setObjectName(QStringLiteral("RGMode"));
    auto* modes = new QVBoxLayout(RGMode);
    m_mode = new QButtonGroup(RGMode);
    const QString items[] = {QStringLiteral("Jahr"), QStringLiteral("Quartal"), QStringLiteral("Monat")};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(items[i], RGMode);
        radio->setObjectName(QStringLiteral("RGMode%1").arg(i));
        m_mode->addButton(radio, i);
        modes->addWidget(radio);
    }
    top->addWidget(RGMode, 1);
    outer->addLayout(top);

    PNCheckBoxes = new QFrame(this);
    PNCheckBoxes->setObjectName(QStringLiteral("PNCheckBoxes"));
    PNCheckBoxes->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* grid = new QGridLayout(PNCheckBoxes);
    int countRow = 0;
    int timeRows = 0;
    // The simulator, the last box, stands in the left column below "IFR-Nacht".
    const int simulatorRow = 4;
    const int simulatorChild = chartCategories().back().child;
    for (const ChartCategory& c : chartCategories()) {
        if (c.child > kSeparatorChild && !Panel2) {
            Panel2 = new QFrame(PNCheckBoxes);
            Panel2->setObjectName(QStringLiteral("Panel2"));
            Panel2->setFrameStyle(QFrame::VLine | QFrame::Sunken);
            Panel2->setLineWidth(2);
            Panel2->setFixedWidth(2);
        }
        auto* b = new TGCheckBox(PNCheckBoxes);
        b->setObjectName(c.boxName());
        b->setText(c.captionText());
        b->setKindOfValue(c.kindOfValue);
        // Times on the left, counts on the right.
        if (c.child == simulatorChild) {
            grid->addWidget(b, simulatorRow, 0);
            ++timeRows;
        } else if (c.isTime()) {
            grid->addWidget(b, c.child < simulatorRow ? c.child : c.child + 1, 0);
            ++timeRows;
        } else {
            grid->addWidget(b, countRow++, 2);
        }
        m_boxes.push_back(b);
    }
    grid->addWidget(Panel2, 0, 1, std::max(timeRows, countRow), 1);
    outer->addWidget(PNCheckBoxes);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    outer->addLayout(buttons);
}

void TFMGetGrafData::FormCreate() {
    const auto pass = m_book.pass();
    const int first =
        pass->FlightCount() > 0 ? dayNumberToDate(pass->DateAt(1)).year() : QDate::currentDate().year();
    EDVon->setText(QStringLiteral("Von %1").arg(first, 4, 10, QLatin1Char('0')));
    EDBis->setText(QStringLiteral("Bis  %1").arg(QDate::currentDate().year(), 4, 10, QLatin1Char('0')));
    setModeIndex(0);
    box("CBGesamtstunden")->setChecked(true);
}

TFMGrafik* TFMGetGrafData::chartWindow() const {
    return m_chart;
}

int TFMGetGrafData::modeIndex() const {
    return m_mode->checkedId();
}

void TFMGetGrafData::setModeIndex(int index) {
    m_mode->button(index)->setChecked(true);
}

TGCheckBox* TFMGetGrafData::box(const char* name) const {
    const int index = chartCategoryIndex(QString::fromLatin1(name));
    return index < 0 ? nullptr : m_boxes[std::size_t(index)];
}

QString TFMGetGrafData::yearText(const MaskedLineEdit* edit) {
    const QString text = edit->text();
    QString year;
    for (int i = 0; i < text.size(); ++i)
        if (!edit->mask().isLiteral(i)) year += text.at(i);
    return year;
}

void TFMGetGrafData::refuse(const QString& message) {
    if (!message.isEmpty()) MessageBox::tell(this, QString(), message, MessageBox::Icon::Warning);
}

void TFMGetGrafData::BtnOKClick() {
    // A year that is no number stops here with the platform's message; the chart stays as it was.
    ChartRequest request;
    request.von = ChartYearFromText(yearText(EDVon));
    request.bis = ChartYearFromText(yearText(EDBis));
    request.mode = ChartMode(std::clamp(modeIndex(), 0, 2));
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        if (m_boxes[i]->isChecked()) request.checked.push_back(int(i));

    const auto pass = m_book.pass();
    ChartBuild build = BuildChartData(*pass, request);
    // The user has been told that the logbook could not be read; the chart stays as it was.
    if (!pass->ok()) return;
    m_book.tellDamage(*pass);
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        m_boxes[i]->valueList() = i < build.seriesLines.size() ? build.seriesLines[i] : QStringList();
        m_boxes[i]->setTag(0);
    }
    if (!build.accepted()) return refuse(build.message);

    m_chartData = std::move(build.data);
    if (!m_chart) {
        m_chart = new TFMGrafik(m_main);
        m_chart->setCompanion(this);
        CenterOverMainForm(m_chart);
        m_chart->show();
    }
    m_chart->DoRepaint(m_chartData);
}

void TFMGetGrafData::BtnCancelClick() {
    close();
}

void TFMGetGrafData::closeEvent(QCloseEvent* event) {
    // The chart closes with the selection; its close asks this one again, which is refused here.
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    if (m_chart) m_chart->close();
    event->accept();
}

}  // namespace velmarsk
