#include "entry/tfmpassword.h"

#include "controls/subs.h"
#include "dialogs/messagebox.h"
#include "flightbook/flightbook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace velmarsk {

TFMPassword::TFMPassword(FlightBook& book, QWidget* parent) : QDialog(parent), m_book(book) {
    setObjectName(QStringLiteral("FMPassword"));
    setWindowTitle(QStringLiteral("Passwort eingeben"));
    auto* box = new QVBoxLayout(this);
    // The caption is the prompt, but not every desktop shows a dialog's caption.
    auto* prompt = new QLabel(windowTitle(), this);
    prompt->setObjectName(QStringLiteral("LblPrompt"));
    box->addWidget(prompt);
    EDPassword = new QLineEdit(this);
    EDPassword->setObjectName(QStringLiteral("EDPassword"));
    EDPassword->setEchoMode(QLineEdit::Password);
    EDPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
    // Wide enough for the caption beside the frame's buttons: it is the dialog's only prompt.
    EDPassword->setMinimumWidth(std::max(180, fontMetrics().horizontalAdvance(windowTitle()) + 140));
    box->addWidget(EDPassword);
    BtnPasswordOk = new QPushButton(QStringLiteral("OK"), this);
    BtnPasswordOk->setObjectName(QStringLiteral("BtnPasswordOk"));
    BtnPasswordOk->setDefault(true);
    box->addWidget(BtnPasswordOk, 0, Qt::AlignRight);
    connect(BtnPasswordOk, &QPushButton::clicked, this, &TFMPassword::BtnPasswordOkClick);
    adjustSize();
    CenterOverMainForm(this);
    EDPassword->setFocus();
}

void TFMPassword::BtnPasswordOkClick() {
    if (m_book.isPassword(EDPassword->text())) {
        accept();
        return;
    }
    MessageBox::tell(this, QStringLiteral("Passworteingabe"), QStringLiteral("Passwort falsch"),
                     MessageBox::Icon::Stop);
    EDPassword->setFocus();
    EDPassword->selectAll();
}

}  // namespace velmarsk
