#include "maintenance/tfmordnen.h"

#include "controls/subs.h"
#include "flightbook/flightbook.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace velmarsk {
namespace {

struct PhaseText {
    const char* label;
    const char* result;
};
const PhaseText kPhases[] = {
    {"Hauptdatei ordnen", "Sätze getauscht"},
    {"Stringdatei komprimieren", "Byte gewonnen"},
    {"Namensdatei komprimieren", "Namen gelöscht"},
};

}  // namespace

TFMOrdnen::TFMOrdnen(QWidget* parent) : ProgressWindow(parent) {
    setObjectName(QStringLiteral("FMOrdnen"));
    setWindowTitle(QStringLiteral("FMOrdnen"));
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 3; ++i) {
        Row& r = m_rows[std::size_t(i)];
        r.label = new QLabel(QString::fromUtf8(kPhases[i].label), this);
        r.label->setObjectName(QStringLiteral("LblPhase%1").arg(i + 1));
        r.label->setEnabled(false);  // grey until the phase starts
        r.number = new QLabel(this);
        r.number->setObjectName(QStringLiteral("LblErgebnis%1").arg(i + 1));
        r.number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        r.text = new QLabel(QString::fromUtf8(kPhases[i].result), this);
        r.text->setObjectName(QStringLiteral("LblText%1").arg(i + 1));
        r.number->hide();
        r.text->hide();
        grid->addWidget(r.label, i, 0);
        grid->addWidget(r.number, i, 1);
        grid->addWidget(r.text, i, 2);
    }
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    grid->addWidget(m_bar, 3, 0, 1, 3);
    // One of the two buttons shows at a time, in the same place below the rows.
    auto* buttons = new QHBoxLayout;
    BtnAbbruch = new QPushButton(QStringLiteral("Abbruch"), this);
    BtnAbbruch->setObjectName(QStringLiteral("BtnAbbruch"));
    BtnSchliessen = new QPushButton(QStringLiteral("Schließen"), this);
    BtnSchliessen->setObjectName(QStringLiteral("BtnSchliessen"));
    buttons->addWidget(BtnAbbruch);
    buttons->addWidget(BtnSchliessen);
    grid->addLayout(buttons, 4, 2);
    connect(BtnAbbruch, &QPushButton::clicked, this, &TFMOrdnen::BtnAbbruchClick);
    connect(BtnSchliessen, &QPushButton::clicked, this, &TFMOrdnen::BtnAbbruchClick);
    BtnSchliessen->hide();
    setProgressBar(m_bar);
    setMinimumWidth(340);
}

void TFMOrdnen::phaseStarted(int phase) {
    if (phase >= 1 && phase <= 3) m_rows[std::size_t(phase - 1)].label->setEnabled(true);
}

void TFMOrdnen::phaseFinished(int phase, qint64 result) {
    if (phase < 1 || phase > 3) return;
    Row& r = m_rows[std::size_t(phase - 1)];
    r.number->setText(QString::number(result));
    r.number->show();
    r.text->show();
}

void TFMOrdnen::BtnAbbruchClick() {
    setCancelFlag(true);
}

void TFMOrdnen::finish(bool waitForClose) {
    BtnAbbruch->hide();
    m_bar->hide();
    BtnSchliessen->show();
    BtnSchliessen->setFocus();
    if (!waitForClose) return;
    // Wait for "Schließen" (or a cancel given during the run) while the window stays live.
    while (!cancelFlag() && isVisible()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

SortResult TFMOrdnen::SortAndCompact(FlightBook& book, QWidget* mainWindow, bool full) {
    TFMOrdnen window(mainWindow);
    // Other commands of the main window must wait until the files are in order again.
    window.setWindowModality(Qt::ApplicationModal);
    window.adjustSize();
    CenterOverMainForm(&window);
    window.show();
    const SortResult result = book.SortAndCompact(full, window);
    window.finish(full);
    return result;
}

}  // namespace velmarsk
