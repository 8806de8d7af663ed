#include "extras/tfmcsvimport.h"

#include "controls/subs.h"
#include "dialogs/filechooser.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmexportflug.h"
#include "flightbook/flightbook.h"
#include "storage/messages.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmarsk {
namespace {

QString separatorName(QChar separator) {
    if (separator == QLatin1Char('\t')) return QStringLiteral("Tabulator");
    if (separator == QLatin1Char(',')) return QStringLiteral("Komma");
    return QStringLiteral("Semikolon");
}

// A cell on one line: line breaks of routing and comment as " / ".
QString oneLine(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
}

}  // namespace

TFMCsvImport::TFMCsvImport(const QString& file, const CsvPreview& preview, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FMCsvImport"));
    setWindowTitle(QStringLiteral("CSV importieren"));
    auto* layout = new QVBoxLayout(this);
    auto* lblFile = new QLabel(QDir::toNativeSeparators(file), this);
    lblFile->setObjectName(QStringLiteral("LblFile"));
    layout->addWidget(lblFile);
    LblFormat =
        new QLabel(QStringLiteral("Zeichensatz: %1, Trennzeichen: %2")
                       .arg(preview.encoding == CsvReader::Encoding::Utf8 ? QStringLiteral("UTF-8")
                                                                          : QStringLiteral("Windows-1252"),
                            separatorName(preview.separator)),
                   this);
    LblFormat->setObjectName(QStringLiteral("LblFormat"));
    layout->addWidget(LblFormat);

    // One table column per column taken, headed by the file's name and the field it fills, then
    // the reason a row would be refused.
    QList<CsvColumns::Column> taken;
    for (const CsvColumns::Column& c : preview.columns.columns())
        if (c.kind != CsvColumns::Kind::Ignored) taken << c;
    TblPreview = new QTableWidget(int(preview.rows.size()), int(taken.size()) + 1, this);
    TblPreview->setObjectName(QStringLiteral("TblPreview"));
    TblPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList headings;
    for (const CsvColumns::Column& c : taken)
        headings << (c.heading.trimmed() == c.field
                         ? c.field
                         : QStringLiteral("%1 (%2)").arg(c.heading.trimmed(), c.field));
    headings << QStringLiteral("Hinweis");
    TblPreview->setHorizontalHeaderLabels(headings);
    QStringList lines;
    for (int r = 0; r < int(preview.rows.size()); ++r) {
        const CsvPreview::Row& row = preview.rows[r];
        lines << QStringLiteral("Zeile %1").arg(row.line);
        for (int c = 0; c < int(taken.size()) && row.draft; ++c)
            TblPreview->setItem(r, c, new QTableWidgetItem(oneLine(CsvColumns::shown(taken[c], *row.draft))));
        const QString note = row.draft ? QString() : QStringLiteral("wird abgelehnt: ") + row.refusal;
        TblPreview->setItem(r, int(taken.size()), new QTableWidgetItem(note));
    }
    TblPreview->setVerticalHeaderLabels(lines);
    TblPreview->resizeColumnsToContents();
    layout->addWidget(TblPreview, 1);
    if (preview.more) {
        auto* more = new QLabel(
            QStringLiteral("Die ersten %1 Zeilen; die Datei enthält weitere.").arg(kPreviewRows), this);
        more->setObjectName(QStringLiteral("LblMore"));
        layout->addWidget(more);
    }

    const QStringList ignored = preview.columns.ignored();
    LblIgnored = new QLabel(
        ignored.isEmpty()
            ? QStringLiteral("Alle Spalten werden übernommen.")
            : QStringLiteral("Nicht übernommene Spalten: %1").arg(ignored.join(QStringLiteral(", "))),
        this);
    LblIgnored->setObjectName(QStringLiteral("LblIgnored"));
    LblIgnored->setWordWrap(true);
    layout->addWidget(LblIgnored);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnImport = new QPushButton(QStringLiteral("&Importieren"), this);
    BtnImport->setObjectName(QStringLiteral("BtnImport"));
    BtnImport->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addWidget(BtnImport);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    connect(BtnImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 420);
}

std::optional<ImportOutcome> TFMCsvImport::ImportCsv(TFMHaupt& main) {
    const FileChooser::Request request{FileChooser::Mode::Open,
                                       QStringLiteral("Flüge aus CSV importieren"),
                                       QString(),
                                       QString(),
                                       QStringLiteral("CSV-Dateien (*.csv *.txt);;Alle Dateien (*)"),
                                       QStringLiteral("csv")};
    const QString file = FileChooser::choose(&main, request);
    if (file.isEmpty()) return std::nullopt;
    const CsvPreview preview = CsvImport::preview(file, kPreviewRows);
    if (!preview.problem.isEmpty()) {
        MessageBox::tell(&main, msg::fileError(), preview.problem, MessageBox::Icon::Warning);
        return std::nullopt;
    }
    TFMCsvImport look(file, preview, &main);
    CenterOverMainForm(&look);
    if (look.exec() != QDialog::Accepted) return std::nullopt;
    CsvImport import(main.flightBook());
    return main.exportWindow()->RunImport([&] { return import.open(file) ? QString() : import.problem(); },
                                          [&](const FlightImport::Step& step) { return import.run(step); });
}

}  // namespace velmarsk
