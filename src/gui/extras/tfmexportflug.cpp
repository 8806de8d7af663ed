#include "extras/tfmexportflug.h"

#include "controls/subs.h"
#include "dialogs/filechooser.h"
#include "dialogs/messagebox.h"
#include "exchange/exportfile.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace velmarsk {
namespace {

const QString kFileFilter = QStringLiteral("Exportdateien (*.EXP *.exp);;Alle Dateien (*)");

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

TFMExportFlug::TFMExportFlug(FlightBook& book, QWidget* parent) : QDialog(parent), m_book(book) {
    setObjectName(QStringLiteral("FMExportFlug"));
    setWindowTitle(QStringLiteral("FMExportFlug"));
    // While an import runs and waits for its "OK", the logbook takes no other command.
    setWindowModality(Qt::ApplicationModal);
    auto* grid = new QGridLayout(this);
    LblHeadline = label(this, "LblHeadline", QStringLiteral("Daten importieren"));
    QFont bold = LblHeadline->font();
    bold.setBold(true);
    LblHeadline->setFont(bold);
    LblHeadline->setAlignment(Qt::AlignCenter);
    grid->addWidget(LblHeadline, 0, 0, 1, 2);
    grid->addWidget(label(this, "Label1", QStringLiteral("Datensätze:")), 1, 0);
    LblFluege = label(this, "LblFluege", QStringLiteral("0"));
    grid->addWidget(LblFluege, 1, 1, Qt::AlignRight);
    grid->addWidget(label(this, "Label2", QStringLiteral("importiert    :")), 2, 0);
    LblImport = label(this, "LblImport", QStringLiteral("0"));
    grid->addWidget(LblImport, 2, 1, Qt::AlignRight);
    BTNEnde = new QPushButton(QStringLiteral("Abbruch"), this);
    BTNEnde->setObjectName(QStringLiteral("BTNEnde"));
    grid->addWidget(BTNEnde, 3, 0, 1, 2, Qt::AlignCenter);
    connect(BTNEnde, &QPushButton::clicked, this, &TFMExportFlug::BTNEndeClick);
    setMinimumWidth(220);
}

void TFMExportFlug::saveExportDir() {
    if (m_exportDir.isEmpty()) return;
    try {
        m_book.settings().write(setting::PATH::Export, QDir::toNativeSeparators(m_exportDir));
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(parentWidget(), msg::fileError(), e.message(), MessageBox::Icon::Error);
    }
}

QString TFMExportFlug::startFolder() const {
    if (!m_exportDir.isEmpty()) return m_exportDir;
    // The folder kept from an earlier run while it is still there, else the logbook's own folder
    // rather than wherever the program happened to be started.
    const QString stored =
        QDir::fromNativeSeparators(m_book.settings().text(setting::PATH::Export).trimmed());
    if (!stored.isEmpty() && QFileInfo(stored).isDir()) return stored;
    return m_book.logbook().dataDir();
}

QString TFMExportFlug::choose(bool save) {
    FileChooser::Request request;
    request.mode = save ? FileChooser::Mode::Save : FileChooser::Mode::Open;
    request.title = save ? QStringLiteral("Flüge exportieren") : QStringLiteral("Flüge importieren");
    request.directory = startFolder();
    request.fileName = QString::fromLatin1(ExportFile::kDefaultName);
    request.filter = kFileFilter;
    request.defaultSuffix = save ? QStringLiteral("EXP") : QStringLiteral("exp");
    const QString file = FileChooser::choose(parentWidget() ? parentWidget() : this, request);
    if (!file.isEmpty()) m_exportDir = QFileInfo(file).absolutePath();
    return file;
}

QString TFMExportFlug::ChooseExportFile() {
    return choose(true);
}

QString TFMExportFlug::ChooseImportFile() {
    return choose(false);
}

QString TFMExportFlug::ExportFlight(int position) {
    if (position < 1 || position > m_book.FlightCount()) return {};
    const QString file = ChooseExportFile();
    if (file.isEmpty()) return {};
    const auto pass = m_book.pass();
    EntryWriter writer(m_book.logbook().names());
    QString message;
    if (!writer.addFromPass(*pass, position, position)) {
        message =
            QStringLiteral("Die Texte des Flugs können nicht gelesen werden; er wurde nicht exportiert.");
    } else {
        QString reason;
        const ExportFile::Result result = ExportFile::append(file, writer.bytes(), &reason);
        if (result == ExportFile::Result::Ok) return file;
        message = ExportFile::message(result, file, reason);
    }
    MessageBox::tell(parentWidget(), msg::fileError(), message, MessageBox::Icon::Question);
    return {};
}

void TFMExportFlug::showCounts(int read, int imported) {
    LblFluege->setText(QString::number(read));
    LblImport->setText(QString::number(imported));
}

std::optional<ImportOutcome> TFMExportFlug::ImportFlights() {
    const QString file = ChooseImportFile();
    if (file.isEmpty()) return std::nullopt;
    FlightImport import(m_book);
    return RunImport([&] { return ExportReader::openMessage(import.open(file)); },
                     [&](const FlightImport::Step& step) { return import.run(step); });
}

ImportOutcome TFMExportFlug::RunImport(const ImportOpen& open, const ImportRun& run) {
    m_cancel = false;
    m_done = false;
    BTNEnde->setText(QStringLiteral("Abbruch"));
    showCounts(0, 0);
    adjustSize();
    CenterOverMainForm(this);
    show();
    const QString problem = open();
    if (!problem.isEmpty()) {
        MessageBox::tell(this, msg::fileError(), problem, MessageBox::Icon::Question);
        hide();
        return ImportOutcome{};
    }
    // The window's button and close box act while the flights are read; the counts are drawn a few
    // times a second rather than after every flight.
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();
    m_running = true;
    const ImportOutcome outcome = run([this, &sinceUpdate](int read, int imported) {
        if (sinceUpdate.elapsed() >= 100) {
            showCounts(read, imported);
            QCoreApplication::processEvents();
            sinceUpdate.restart();
        }
        return !m_cancel;
    });
    m_running = false;
    showCounts(outcome.read, outcome.imported);
    if (!outcome.refused.isEmpty()) {
        // The first few name their flights; a long list would outgrow the screen.
        constexpr qsizetype kShown = 10;
        QStringList lines = outcome.refused.mid(0, kShown);
        if (outcome.refused.size() > kShown)
            lines << QStringLiteral("… und %1 weitere.").arg(outcome.refused.size() - kShown);
        MessageBox::tell(this, msg::fileError(), lines.join(QLatin1Char('\n')), MessageBox::Icon::Warning);
    }
    if (!outcome.problem.isEmpty())
        MessageBox::tell(this, msg::fileError(), outcome.problem, MessageBox::Icon::Warning);
    BTNEnde->setText(QStringLiteral("OK"));
    if (!m_done && isVisible()) {
        QEventLoop wait;
        connect(this, &TFMExportFlug::finished, &wait, &QEventLoop::quit);
        connect(BTNEnde, &QPushButton::clicked, &wait, &QEventLoop::quit);
        QMetaObject::invokeMethod(this, &TFMExportFlug::waitingForUser, Qt::QueuedConnection);
        wait.exec();
    }
    hide();
    return outcome;
}

void TFMExportFlug::BTNEndeClick() {
    if (m_running)
        m_cancel = true;
    else
        m_done = true;
}

void TFMExportFlug::closeEvent(QCloseEvent* event) {
    BTNEndeClick();
    QDialog::closeEvent(event);
}

}  // namespace velmarsk
