#include "maintenance/tfmindexneu.h"

#include "controls/subs.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace velmarsk {
namespace {

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

}  // namespace

TFMIndexneu::TFMIndexneu(FlightBook* book, Mode mode, QWidget* parent)
    : ProgressWindow(parent), m_book(book), m_mode(mode) {
    setObjectName(QStringLiteral("FMIndexneu"));
    setWindowTitle(QStringLiteral("Index erneuern"));
    auto* outer = new QVBoxLayout(this);
    auto* stack = new QStackedLayout;
    outer->addLayout(stack);

    PanelFrage = new QWidget(this);
    PanelFrage->setObjectName(QStringLiteral("PanelFrage"));
    auto* frage = new QVBoxLayout(PanelFrage);
    frage->addWidget(boldLabel(QStringLiteral("Soll die Indexdatei wirklich "), PanelFrage));
    frage->addWidget(boldLabel(QStringLiteral("erneuert werden ?"), PanelFrage));
    auto* buttons = new QHBoxLayout;
    BtnOK = new QPushButton(QStringLiteral("Ja"), PanelFrage);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnCancel = new QPushButton(QStringLiteral("Abbruch"), PanelFrage);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    buttons->addStretch();
    frage->addLayout(buttons);
    stack->addWidget(PanelFrage);

    PanelOhneFrage = new QWidget(this);
    PanelOhneFrage->setObjectName(QStringLiteral("PanelOhneFrage"));
    auto* ohne = new QVBoxLayout(PanelOhneFrage);
    ohne->addWidget(boldLabel(QStringLiteral("Indexdatei erneuern"), PanelOhneFrage));
    btnCancel2 = new QPushButton(QStringLiteral("Abbruch"), PanelOhneFrage);
    btnCancel2->setObjectName(QStringLiteral("btnCancel2"));
    ohne->addWidget(btnCancel2, 0, Qt::AlignCenter);
    stack->addWidget(PanelOhneFrage);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->hide();
    outer->addWidget(ProgressBar);
    setProgressBar(ProgressBar);

    connect(BtnOK, &QPushButton::clicked, this, &TFMIndexneu::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFMIndexneu::BtnCancelClick);
    connect(btnCancel2, &QPushButton::clicked, this, &TFMIndexneu::BtnCancelClick);
    setMinimumWidth(280);

    if (m_mode == Mode::StartUp) {
        // Started by the logbook itself, which drives the progress: only the cancel button is live.
        stack->setCurrentWidget(PanelOhneFrage);
        ProgressBar->show();
        m_started = m_running = true;
        adjustSize();
        CenterOverMainForm(this);
        show();
    }
}

void TFMIndexneu::showEvent(QShowEvent* event) {
    ProgressWindow::showEvent(event);
    if (m_mode == Mode::Menu && !m_started) QTimer::singleShot(0, this, &TFMIndexneu::FormActivate);
}

void TFMIndexneu::FormActivate() {
    auto* stack = static_cast<QStackedLayout*>(static_cast<QVBoxLayout*>(layout())->itemAt(0)->layout());
    if (m_book->FlightCount() > 0) {
        stack->setCurrentWidget(PanelFrage);
        BtnOK->setFocus();
        return;
    }
    stack->setCurrentWidget(PanelOhneFrage);
    BtnOKClick();
}

void TFMIndexneu::BtnOKClick() {
    BtnOK->setEnabled(false);
    setCancelFlag(false);
    ProgressBar->show();
    m_started = m_running = true;
    const bool ok = m_book->RebuildIndex(*this);
    m_running = false;
    done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void TFMIndexneu::BtnCancelClick() {
    setCancelFlag(true);
    if (!m_running && m_mode == Mode::Menu) done(QDialog::Rejected);
}

bool TFMIndexneu::RebuildIndex(FlightBook& book, QWidget* mainWindow) {
    TFMIndexneu dialog(&book, Mode::Menu, mainWindow);
    dialog.adjustSize();
    CenterOverMainForm(&dialog);
    const bool ok = dialog.exec() == QDialog::Accepted;
    // A rebuild cancelled part-way left no index: load asks whether to create it.
    if (!ok && dialog.rebuildStarted()) book.logbook().LoadIndex();
    return ok;
}

}  // namespace velmarsk
