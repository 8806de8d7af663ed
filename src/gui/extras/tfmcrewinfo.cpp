#include "extras/tfmcrewinfo.h"

#include "controls/fonts.h"
#include "controls/multilinetabbar.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "settings/settingsbatch.h"
#include "storage/messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

namespace velmarsk {
namespace {

const char* const kTabs[CrewLists::kListCount] = {"CrewNames", "CrewDuty", "AC-Types", "Callsign",
                                                  "Registration"};

}  // namespace

TFMCrewInfo::TFMCrewInfo(TFMHaupt& main)
    : QWidget(&main, Qt::Window), m_main(main), m_settings(main.flightBook().settings()) {
    setObjectName(QStringLiteral("FMCrewInfo"));
    setWindowTitle(QStringLiteral("CrewInfo"));
    setAttribute(Qt::WA_DeleteOnClose);

    // Every tab in sight: they take more rows in a narrow window.
    TCCrewInfo = new MultiLineTabBar(this);
    TCCrewInfo->setObjectName(QStringLiteral("TCCrewInfo"));
    for (const char* tab : kTabs) TCCrewInfo->addTab(QString::fromLatin1(tab));
    setMinimumWidth(TCCrewInfo->minimumSizeHint().width());

    LBAnzCrewInfo = new QFrame(this);
    LBAnzCrewInfo->setObjectName(QStringLiteral("LBAnzCrewInfo"));
    LBAnzCrewInfo->setAutoFillBackground(true);
    QPalette white = LBAnzCrewInfo->palette();
    white.setColor(QPalette::Window, Qt::white);
    LBAnzCrewInfo->setPalette(white);
    auto* bar = new QHBoxLayout(LBAnzCrewInfo);
    bar->setContentsMargins(2, 0, 2, 0);
    bar->addWidget(new QLabel(QStringLiteral("Einträge"), LBAnzCrewInfo));
    AnzCrewInfo = new QLabel(LBAnzCrewInfo);
    AnzCrewInfo->setObjectName(QStringLiteral("AnzCrewInfo"));
    AnzCrewInfo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    bar->addWidget(AnzCrewInfo, 1);

    LBCrewInfo = new QListWidget(this);
    LBCrewInfo->setObjectName(QStringLiteral("LBCrewInfo"));
    LBCrewInfo->setFrameShape(QFrame::NoFrame);
    LBCrewInfo->setUniformItemSizes(true);

    PUCrewInfo = new QMenu(this);
    PUCrewInfo->setObjectName(QStringLiteral("PUCrewInfo"));
    auto item = [this](const char* name, const QString& caption, void (TFMCrewInfo::*slot)()) {
        QAction* a = PUCrewInfo->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    item("DoFormClose", QStringLiteral("Schließen"), &TFMCrewInfo::DoFormCloseClick);
    PUCrewInfo->addSeparator();
    QAction* copy = item("Kopieren1", QStringLiteral("Kopieren"), &TFMCrewInfo::Kopieren1Click);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copy->setShortcutContext(Qt::WindowShortcut);
    addAction(copy);  // Ctrl+C acts without the menu open
    PUCrewInfo->addSeparator();
    item("Font", QStringLiteral("Schriftart"), &TFMCrewInfo::FontClick);
    for (QWidget* w : {static_cast<QWidget*>(TCCrewInfo), static_cast<QWidget*>(LBCrewInfo)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& p) { PUCrewInfo->exec(w->mapToGlobal(p)); });
    }

    FontDialog = new QFontDialog(this);
    FontDialog->setObjectName(QStringLiteral("FontDialog"));
    FontDialog->setOption(QFontDialog::DontUseNativeDialog);

    connect(TCCrewInfo, &MultiLineTabBar::currentChanged, this, &TFMCrewInfo::TCCrewInfoChange);
    connect(LBCrewInfo, &QListWidget::itemDoubleClicked, this, &TFMCrewInfo::LBCrewInfoDblClick);
}

TFMCrewInfo::~TFMCrewInfo() {
    writeSettings();
}

TFMCrewInfo* TFMCrewInfo::OpenCrewInfo(TFMHaupt& main) {
    Settings& s = main.flightBook().settings();
    auto* w = new TFMCrewInfo(main);
    w->move(int(s.integer(setting::CREWINFO::LEFT)), int(s.integer(setting::CREWINFO::TOP)));
    w->resize(int(s.integer(setting::CREWINFO::WIDTH)), int(s.integer(setting::CREWINFO::HEIGHT)));
    {
        const QSignalBlocker quiet(w->TCCrewInfo);  // filled once, after the lists exist
        const int active = int(s.integer(setting::CREWINFO::ACTIVE));
        w->TCCrewInfo->setCurrentIndex(active >= 0 && active < CrewLists::kListCount ? active : 0);
    }
    QFont font = mappedFont(s.text(setting::CREWINFO::FONTNAME), int(s.integer(setting::CREWINFO::FONTSIZE)));
    font.setItalic(s.truth(setting::CREWINFO::ITALIC));
    font.setBold(s.truth(setting::CREWINFO::BOLD));
    w->LBCrewInfo->setFont(font);
    w->show();
    w->BuildCrewLists();
    w->TCCrewInfoChange();
    w->FormResize();
    return w;
}

void TFMCrewInfo::BuildCrewLists() {
    const auto pass = m_main.flightBook().pass();
    m_lists = CrewLists::BuildCrewLists(*pass);
    m_main.flightBook().tellDamage(*pass);
}

void TFMCrewInfo::TCCrewInfoChange() {
    const int tab = TCCrewInfo->currentIndex();
    LBCrewInfo->clear();
    if (tab >= 0 && tab < CrewLists::kListCount) LBCrewInfo->addItems(m_lists[std::size_t(tab)]);
    AnzCrewInfo->setText(QLatin1Char(' ') + QString::number(LBCrewInfo->count()));
    FormResize();
}

void TFMCrewInfo::FormResize() {
    const int tabHeight = TCCrewInfo->heightForWidth(width());
    TCCrewInfo->setGeometry(0, 0, width(), tabHeight);
    const QRect area(2, tabHeight + 2, width() - 4, height() - tabHeight - 4);
    const int barHeight = std::abs(AnzCrewInfo->fontMetrics().height()) + 5;
    LBAnzCrewInfo->setGeometry(area.left(), area.top(), area.width(), barHeight);
    LBCrewInfo->setGeometry(area.left(), area.top() + barHeight + 1, area.width(),
                            std::max(0, area.height() - barHeight - 1));
}

void TFMCrewInfo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TFMCrewInfo::Kopieren1Click() {
    const QListWidgetItem* item = LBCrewInfo->currentItem();
    if (!item || !item->isSelected()) return;
    QApplication::clipboard()->setText(item->text());
}

void TFMCrewInfo::FontClick() {
    FontDialog->setCurrentFont(LBCrewInfo->font());
    if (FontDialog->exec() != QDialog::Accepted) return;
    const QFont font = FontDialog->selectedFont();
    LBCrewInfo->setFont(font);
    LBAnzCrewInfo->setFont(font);
    AnzCrewInfo->setFont(font);
    FormResize();
}

void TFMCrewInfo::LBCrewInfoDblClick() {
    const int tab = TCCrewInfo->currentIndex();
    if (tab != CrewLists::CrewNames && tab != CrewLists::Callsign && tab != CrewLists::Registration) return;
    const QListWidgetItem* item = LBCrewInfo->currentItem();
    if (!item) return;
    m_main.SearchFromCrewInfo(item->text(), TCCrewInfo->tabText(tab));
}

void TFMCrewInfo::DoFormCloseClick() {
    close();
}

void TFMCrewInfo::writeSettings() {
    Settings& s = m_settings;
    const QFont font = LBCrewInfo->font();
    try {
        // A value the file cannot hold (a font name outside its code page) abandons the batch.
        SettingsBatch batch(s);
        s.write(setting::CREWINFO::LEFT, qint64(x()));
        s.write(setting::CREWINFO::TOP, qint64(y()));
        s.write(setting::CREWINFO::WIDTH, qint64(width()));
        s.write(setting::CREWINFO::HEIGHT, qint64(height()));
        s.write(setting::CREWINFO::ACTIVE, qint64(TCCrewInfo->currentIndex()));
        s.write(setting::CREWINFO::FONTSIZE, qint64(font.pointSize()));
        s.write(setting::CREWINFO::FONTNAME, font.family());
        s.writeTruth(setting::CREWINFO::ITALIC, font.italic());
        s.writeTruth(setting::CREWINFO::BOLD, font.bold());
        batch.commit();
    } catch (const SettingsWriteError& e) {
        MessageBox::tell(nullptr, msg::fileError(), e.message(), MessageBox::Icon::Error);
    }
}

}  // namespace velmarsk
