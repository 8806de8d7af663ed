#include "extras/tfmflugbuchseiten.h"

#include "controls/subs.h"
#include "controls/teditname.h"
#include "dates/daynumber.h"
#include "dialogs/errormessage.h"
#include "dialogs/messagebox.h"
#include "evaluation/totals.h"
#include "extras/logbookpageprinter.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/flightpass.h"
#include "storage/messages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmarsk {
namespace {

const QString kTitle = QStringLiteral("Flugbuchseiten");

}  // namespace

TFMFlugbuchseiten::TFMFlugbuchseiten(FlightBook& book, QPrinter* printer, QWidget* parent)
    : QDialog(parent), m_book(book), m_printer(printer) {
    setObjectName(QStringLiteral("FMFlugbuchseiten"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildLayout();
    const int year = QDate::currentDate().year();
    EDVon->setText(DateText(QDate(year, 1, 1)));
    EDBis->setText(DateText(QDate(year, 12, 31)));
    // The file of the last pages, so that the next year's pages go beside them.
    const QString last = m_book.settings().text(setting::PATH::SEITEN).trimmed();
    EDDatei->setText(last.isEmpty() ? QDir::home().filePath(QStringLiteral("Flugbuchseiten.pdf"))
                                    : QDir::fromNativeSeparators(last));
    setOutput(0);
    connect(BtnDrucken, &QPushButton::clicked, this,
            [this] { runShowingErrors(this, [this] { BtnDruckenClick(); }); });
    connect(BtnDatei, &QPushButton::clicked, this, &TFMFlugbuchseiten::BtnDateiClick);
    connect(BtnSchliessen, &QPushButton::clicked, this, &QWidget::close);
}

TFMFlugbuchseiten::~TFMFlugbuchseiten() = default;

void TFMFlugbuchseiten::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    EDVon = TEditName::dateField(this, "EDVon");
    EDBis = TEditName::dateField(this, "EDBis");
    grid->addWidget(new QLabel(QStringLiteral("vom:"), this), 0, 0);
    grid->addWidget(EDVon, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("bis:"), this), 1, 0);
    grid->addWidget(EDBis, 1, 1);
    outer->addLayout(grid);
    // A range that continues a paper logbook starts from the totals of the flights before it.
    CBUebertrag = new QCheckBox(QStringLiteral("\u00dcbertrag aus fr\u00fcheren Fl\u00fcgen"), this);
    CBUebertrag->setObjectName(QStringLiteral("CBUebertrag"));
    CBUebertrag->setChecked(true);
    outer->addWidget(CBUebertrag);
    LblFlugzeit = new QLabel(LogbookPagePrinter::flightTimeNote(), this);
    LblFlugzeit->setObjectName(QStringLiteral("LblFlugzeit"));
    LblFlugzeit->setWordWrap(true);
    outer->addWidget(LblFlugzeit);

    RGAusgabe = new QGroupBox(QStringLiteral("Ausgabe"), this);
    RGAusgabe->setObjectName(QStringLiteral("RGAusgabe"));
    auto* column = new QVBoxLayout(RGAusgabe);
    m_output = new QButtonGroup(RGAusgabe);
    const QString items[] = {QStringLiteral("PDF-Datei"), QStringLiteral("Drucker")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(items[i], RGAusgabe);
        radio->setObjectName(QStringLiteral("RGAusgabe%1").arg(i));
        radio->setEnabled(i == 0 || m_printer);
        m_output->addButton(radio, i);
        column->addWidget(radio);
    }
    auto* file = new QHBoxLayout;
    EDDatei = new QLineEdit(RGAusgabe);
    EDDatei->setObjectName(QStringLiteral("EDDatei"));
    EDDatei->setMinimumWidth(280);
    BtnDatei = new QPushButton(QStringLiteral("..."), RGAusgabe);
    BtnDatei->setObjectName(QStringLiteral("BtnDatei"));
    file->addWidget(EDDatei);
    file->addWidget(BtnDatei);
    column->addLayout(file);
    outer->addWidget(RGAusgabe);
    connect(m_output, &QButtonGroup::idToggled, this, [this](int, bool) {
        EDDatei->setEnabled(output() == 0);
        BtnDatei->setEnabled(output() == 0);
    });

    LblStand = new QLabel(this);
    LblStand->setObjectName(QStringLiteral("LblStand"));
    outer->addWidget(LblStand);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnDrucken = new QPushButton(QStringLiteral("Drucken"), this);
    BtnDrucken->setObjectName(QStringLiteral("BtnDrucken"));
    BtnDrucken->setDefault(true);
    BtnSchliessen = new QPushButton(QStringLiteral("Schlie\u00dfen"), this);
    BtnSchliessen->setObjectName(QStringLiteral("BtnSchliessen"));
    buttons->addWidget(BtnDrucken);
    buttons->addWidget(BtnSchliessen);
    outer->addLayout(buttons);
}

int TFMFlugbuchseiten::output() const {
    return m_output->checkedId();
}

void TFMFlugbuchseiten::setOutput(int index) {
    if (QAbstractButton* b = m_output->button(index); b && b->isEnabled()) b->setChecked(true);
}

void TFMFlugbuchseiten::BtnDateiClick() {
    const QString name =
        QFileDialog::getSaveFileName(this, kTitle, EDDatei->text(), QStringLiteral("PDF-Dateien (*.pdf)"));
    if (!name.isEmpty()) EDDatei->setText(name);
}

void TFMFlugbuchseiten::rememberFile() {
    const QString file = QDir::toNativeSeparators(QFileInfo(EDDatei->text()).absoluteFilePath());
    Settings& settings = m_book.settings();
    if (settings.text(setting::PATH::SEITEN) == file) return;
    try {
        settings.write(setting::PATH::SEITEN, file);
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(this, msg::fileError(), e.message(), MessageBox::Icon::Error);
    }
}

void TFMFlugbuchseiten::BtnDruckenClick() {
    const QDate von = FieldDate(EDVon->text());
    const QDate bis = FieldDate(EDBis->text());
    const auto pass = m_book.pass();
    const int first = FindFirstOnOrAfter(*pass, kDayZero.daysTo(von));
    const int last = FindFirstOnOrAfter(*pass, kDayZero.daysTo(bis) + 1) - 1;
    m_printedPages = 0;
    m_broughtForward.clear();
    if (first > last) {
        MessageBox::tell(this, kTitle, QStringLiteral("Im gew\u00e4hlten Zeitraum gibt es keine Fl\u00fcge."),
                         MessageBox::Icon::Warning);
        return;
    }
    const std::vector<LogbookPages::Row> rows = LogbookPagePrinter::flightRows(*pass, first, last);
    std::vector<qint64> earlier(LogbookPagePrinter::flightColumns().size(), 0);
    if (CBUebertrag->isChecked()) earlier = LogbookPagePrinter::flightTotals(*pass, 1, first - 1);
    // The user has been told that the logbook could not be read; pages without its flights are
    // no logbook.
    if (!pass->ok()) {
        LblStand->clear();
        return;
    }
    m_book.tellDamage(*pass);
    const QString owner = m_book.settings().text(setting::USER::NAME).trimmed();
    LogbookPagePrinter printer(
        QStringLiteral("Flugbuch%1   %2 \u2013 %3")
            .arg(owner.isEmpty() ? QString() : QLatin1Char(' ') + owner, DateText(von), DateText(bis)));
    bool printed = false;
    if (output() == 1 && m_printer) {
        // Landscape for the pages only: the window print keeps the orientation the user chose.
        const QPageLayout::Orientation before = m_printer->pageLayout().orientation();
        m_printer->setPageOrientation(QPageLayout::Landscape);
        printed = printer.print(*m_printer, rows, earlier);
        m_printer->setPageOrientation(before);
    } else {
        QPdfWriter pdf(EDDatei->text());
        pdf.setTitle(kTitle);
        pdf.setResolution(300);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        printed = printer.print(pdf, rows, earlier);
        if (!printed)
            MessageBox::tell(this, msg::fileError(),
                             QStringLiteral("Die Datei %1 kann nicht geschrieben werden.")
                                 .arg(QDir::toNativeSeparators(EDDatei->text())),
                             MessageBox::Icon::Error);
    }
    if (!printed) {
        if (output() == 1) MessageBox::tell(this, kTitle, printer.error(), MessageBox::Icon::Error);
        LblStand->clear();
        return;
    }
    m_printedPages = printer.printedPages();
    if (output() == 0) rememberFile();
    m_broughtForward = std::move(earlier);
    LblStand->setText(
        QStringLiteral("%1 Fl\u00fcge auf %2 Seiten ausgegeben.").arg(last - first + 1).arg(m_printedPages));
}

}  // namespace velmarsk
