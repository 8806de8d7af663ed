#include "extras/tfmcsvexport.h"

#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/teditname.h"
#include "dates/daynumber.h"
#include "dialogs/errormessage.h"
#include "dialogs/filechooser.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "exchange/csvexport.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QDir>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace velmarsk {

TFMCsvExport::TFMCsvExport(TFMHaupt& main) : QDialog(&main), m_main(main) {
    setObjectName(QStringLiteral("FMCsvExport"));
    setWindowTitle(QStringLiteral("CSV exportieren"));
    EDVon = TEditName::dateField(this, "EDVon");
    EDBis = TEditName::dateField(this, "EDBis");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Flüge vom:"), this), 0, 0);
    grid->addWidget(EDVon, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("bis:"), this), 1, 0);
    grid->addWidget(EDBis, 1, 1);
    auto* buttons = new QHBoxLayout;
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    // The title bar holds the caption beside the window's icon and buttons: room for the caption in
    // bold, as title bars mostly show it, and for the rest.
    QFont bold = font();
    bold.setBold(true);
    setMinimumWidth(QFontMetrics(bold).horizontalAdvance(windowTitle()) + 160);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnOk, &QPushButton::clicked, this, [this] {
        runShowingErrors(this, [this] {
            if (BtnOkClick()) accept();
        });
    });

    // The whole logbook unless the user narrows it.
    FlightBook& book = m_main.flightBook();
    const int count = book.FlightCount();
    const auto pass = book.pass();
    const QDate first = count > 0 ? dayNumberToDate(pass->DateAt(1)) : QDate::currentDate();
    const QDate last = count > 0 ? dayNumberToDate(pass->DateAt(count)) : QDate::currentDate();
    EDVon->setText(DateText(first));
    EDBis->setText(DateText(last));
}

bool TFMCsvExport::BtnOkClick() {
    const std::int64_t from = dateToDayNumber(FieldDate(EDVon->text()));
    const std::int64_t to = dateToDayNumber(FieldDate(EDBis->text()));
    FileChooser::Request request{FileChooser::Mode::Save,
                                 QStringLiteral("Flüge als CSV exportieren"),
                                 QString(),
                                 QStringLiteral("Flugbuch.csv"),
                                 QStringLiteral("CSV-Dateien (*.csv);;Alle Dateien (*)"),
                                 QStringLiteral("csv")};
    const QString file = FileChooser::choose(this, request);
    if (file.isEmpty()) return false;

    FlightBook& book = m_main.flightBook();
    const auto pass = book.pass();
    const auto von = std::uint16_t(std::max<std::int64_t>(from, 0));
    const auto bis = std::uint16_t(std::max<std::int64_t>(to, 0));
    // Protected comments stay out of the table unless the user proves the password; asked only when
    // the range holds one.
    bool anyHidden = false;
    FlightRecord r;
    for (int p = 1; p <= pass->FlightCount() && !anyHidden; ++p)
        anyHidden = pass->DateAt(p) >= von && pass->DateAt(p) <= bis && pass->ReadFlight(p, r) &&
                    r.commentProtected();
    const bool reveal = !anyHidden || !book.hasPassword() || m_main.passwordGiven();
    int count = 0;
    const QByteArray csv = CsvExport::build(*pass, von, bis, reveal, &count);
    // A logbook that failed to read has been reported; a table of the flights read would not be all.
    if (!pass->ok()) return false;
    // The table is written all the same: what could be read is the pilot's.
    book.tellDamage(*pass);
    QString error;
    if (!CsvExport::write(file, csv, &error)) {
        MessageBox::tell(this, msg::fileError(),
                         QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
                             .arg(QDir::toNativeSeparators(file), error),
                         MessageBox::Icon::Error);
        return false;
    }
    MessageBox::tell(
        this, QStringLiteral("CSV exportieren"),
        QStringLiteral("%1 Flüge nach %2 exportiert.").arg(count).arg(QDir::toNativeSeparators(file)),
        MessageBox::Icon::Information);
    return true;
}

}  // namespace velmarsk
