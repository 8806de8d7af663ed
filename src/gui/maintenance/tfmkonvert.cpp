#include "maintenance/tfmkonvert.h"

#include "controls/subs.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace velmarsk {

TFMKonvert::TFMKonvert(const QString& fromVersion, const QString& toVersion, QWidget* parent)
    : ProgressWindow(parent) {
    setObjectName(QStringLiteral("FMKonvert"));
    setWindowTitle(QStringLiteral("Konvertieren"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("von Version  : "), this), 0, 0);
    LblVonVersion = new QLabel(fromVersion, this);
    LblVonVersion->setObjectName(QStringLiteral("LblVonVersion"));
    grid->addWidget(LblVonVersion, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("nach Version:"), this), 1, 0);
    LbLNachVersion = new QLabel(toVersion, this);
    LbLNachVersion->setObjectName(QStringLiteral("LbLNachVersion"));
    grid->addWidget(LbLNachVersion, 1, 1);
    PBKonvert = new QProgressBar(this);
    PBKonvert->setObjectName(QStringLiteral("PBKonvert"));
    grid->addWidget(PBKonvert, 2, 0, 1, 2);
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    grid->addWidget(BtnCancel, 3, 1, Qt::AlignRight);
    connect(BtnCancel, &QPushButton::clicked, this, &TFMKonvert::BtnCancelClick);
    setProgressBar(PBKonvert);
    setMinimumWidth(300);
    adjustSize();
    CenterOverMainForm(this);
    show();
}

}  // namespace velmarsk
