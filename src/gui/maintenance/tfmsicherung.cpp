#include "maintenance/tfmsicherung.h"

#include "controls/subs.h"
#include "dialogs/messagebox.h"
#include "flightbook/flightbook.h"
#include "storage/backuprotation.h"
#include "storage/logbook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmarsk {
namespace {

QString describe(const BackupRotation::Backup& b) {
    const QString when =
        b.taken.isValid() ? b.taken.toString(QStringLiteral("dd.MM.yyyy  HH:mm:ss")) : b.name;
    const QString flights =
        b.flights < 0 ? QStringLiteral("Index nicht lesbar") : QStringLiteral("%1 Flüge").arg(b.flights);
    return when + QStringLiteral("   ") + flights;
}

}  // namespace

TFMSicherung::TFMSicherung(FlightBook& book, QWidget* parent) : QDialog(parent), m_book(book) {
    setObjectName(QStringLiteral("FMSicherung"));
    setWindowTitle(QStringLiteral("Sicherung wiederherstellen"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Sicherungen des Flugbuchs:"), this));
    LBSicherungen = new QListWidget(this);
    LBSicherungen->setObjectName(QStringLiteral("LBSicherungen"));
    layout->addWidget(LBSicherungen);
    LblLeer = new QLabel(QStringLiteral("Es gibt noch keine Sicherung."), this);
    LblLeer->setObjectName(QStringLiteral("LblLeer"));
    layout->addWidget(LblLeer);
    auto* buttons = new QHBoxLayout;
    BtnWiederherstellen = new QPushButton(QStringLiteral("Wiederherstellen"), this);
    BtnWiederherstellen->setObjectName(QStringLiteral("BtnWiederherstellen"));
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addStretch();
    buttons->addWidget(BtnWiederherstellen);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    connect(BtnWiederherstellen, &QPushButton::clicked, this, &TFMSicherung::BtnWiederherstellenClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(LBSicherungen, &QListWidget::itemDoubleClicked, this, &TFMSicherung::BtnWiederherstellenClick);
    resize(360, 280);
    fillList();
}

void TFMSicherung::fillList() {
    LBSicherungen->clear();
    const auto backups = BackupRotation(m_book.logbook().dataDir()).list();
    for (auto it = backups.crbegin(); it != backups.crend(); ++it) {
        auto* item = new QListWidgetItem(describe(*it), LBSicherungen);
        item->setData(Qt::UserRole, it->name);
    }
    LblLeer->setVisible(backups.isEmpty());
    BtnWiederherstellen->setEnabled(!backups.isEmpty());
    if (!backups.isEmpty()) LBSicherungen->setCurrentRow(0);
}

void TFMSicherung::BtnWiederherstellenClick() {
    const QListWidgetItem* item = LBSicherungen->currentItem();
    if (!item) return;
    const QString name = item->data(Qt::UserRole).toString();
    // The password lives in the logbook files: a copy may bring back another one, or none.
    const QString passwordNote = BackupRotation(m_book.logbook().dataDir())
                                     .protectionChange(name, LogbookProtection::of(m_book.logbook()));
    QString question = QStringLiteral(
                           "Soll das Flugbuch durch die Sicherung vom %1 ersetzt werden?\n"
                           "Die jetzigen Dateien werden zuvor als neue Sicherung abgelegt.")
                           .arg(item->text());
    if (!passwordNote.isEmpty()) question += QStringLiteral("\n\n") + passwordNote;
    if (MessageBox::ask(this, QStringLiteral("Sicherung wiederherstellen"), question,
                        passwordNote.isEmpty() ? MessageBox::Icon::Question : MessageBox::Icon::Warning,
                        MessageBox::Buttons::YesNo) != MessageBox::Answer::Yes)
        return;
    m_restored = m_book.RestoreFromBackup(name);
    if (m_restored || !m_book.logbook().isOpen()) {
        accept();
        return;
    }
    fillList();  // a refused copy stays listed; the current files may have become one more
}

bool TFMSicherung::RestoreBackup(FlightBook& book, QWidget* mainWindow) {
    TFMSicherung dialog(book, mainWindow);
    CenterOverMainForm(&dialog);
    dialog.exec();
    return dialog.restored();
}

}  // namespace velmarsk
