#include "entry/tfmgehedatum.h"

#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/teditname.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmarsk {

TFMGeheDatum::TFMGeheDatum(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FMGeheDatum"));
    setWindowTitle(QStringLiteral("Gehe zu Datum"));
    auto* box = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Bitte Datum eingeben"), this);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    box->addWidget(label);
    Datum = new TEditName(this);
    Datum->setObjectName(QStringLiteral("Datum"));
    Datum->setFont(mappedFont(QStringLiteral("Courier New")));
    Datum->setEditMask(kDateMask);
    Datum->setAllowed(true);
    box->addWidget(Datum);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("BtnOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    box->addWidget(ok, 0, Qt::AlignRight);
    adjustSize();
    CenterOverMainForm(this);
    Datum->setFocus();
}

}  // namespace velmarsk
