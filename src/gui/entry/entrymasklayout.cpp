// The layout of the entry mask.
#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmyedit.h"
#include "entry/entrymask.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmarsk {
namespace {

const QString kTimeMask = QStringLiteral(" 99:99;1; ");
const QString kCounterMask = QStringLiteral(" 99;1; ");

// One column of the VFR or IFR group: a day field above a night field.
struct CategoryColumn {
    const char* caption;
    const char* hint;
    bool counter;
    const char* dayControl;
    bool dayVisible;
    const char* nightControl;
    bool nightVisible;
};

const CategoryColumn kVfrColumns[] = {
    {"Time", "", false, "EDVfrDay", true, "EDVfrNite", true},
    {"Navigation", "", false, "EDNavDay", false, "EDNavNite", true},
    {"Low Level", "", false, "EDLlDay", true, "Edit5Min12", false},
    {"LLNav", "Tiefflugnavigation, Eintrag auch bei Low Level", false, "EDLlNavDay", true, "Edit5Min2",
     false},
    {"Emerg.", "", false, "EDEmergDay", true, "EDEmergNite", true},
    {"Formation", "", false, "EDFormDay", true, "EDFormNite", true},
    {"tak.Form.", "", false, "EDTfDay", true, "EDTfNite", true},
    {"AR", "", true, "EDArDay", true, "EDArNite", true},
    {"Vert.", "Senkrechtlandung, Eintrag auch bei Conf.", true, "EDVertDay", true, "EDVertNite", true},
    {"Winch", "", true, "EDWinchDay", true, "EDWinchNite", true},
    {"Search", "", true, "EDSearchDay", true, "EDSearchNite", true},
    {"Conf.", "", true, "EDConfDay", true, "EDConfNite", true},
    {"Ext.", "", true, "EDExtDay", true, "EDExtNite", true},
    {"&Land.", "", true, "EDLandDay", true, "EDLandNite", true},
};

const CategoryColumn kIfrColumns[] = {
    {"IFR-ges.", "", false, "EDIfrGesDay", true, "EDIfrGesNite", true},
    {"IMC", "", false, "EDImcDay", true, "EdImcNite", true},
    {"Hood", "", false, "EdHoodDay", true, "EdHoddNite", false},
    {"Simulator", "", false, "EdSimDay", true, "EDSimNite", true},
    {"Prec.", "", true, "EDPrecDay", true, "EDPrecNite", true},
    {"NPrec", "", true, "EDNPrecDay", true, "EDNPrecNite", true},
};

// A padlock, drawn so that it needs no symbol font.
QPixmap lockPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size;
    QPen pen(QColor(70, 70, 70), w * 0.09);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(w * 0.28, w * 0.08, w * 0.44, w * 0.5), 0, 180 * 16);
    p.drawLine(QPointF(w * 0.28, w * 0.33), QPointF(w * 0.28, w * 0.45));
    p.drawLine(QPointF(w * 0.72, w * 0.33), QPointF(w * 0.72, w * 0.45));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 70));
    p.drawRoundedRect(QRectF(w * 0.16, w * 0.44, w * 0.68, w * 0.5), w * 0.06, w * 0.06);
    p.setBrush(QColor(230, 230, 230));
    p.drawEllipse(QPointF(w * 0.5, w * 0.64), w * 0.06, w * 0.06);
    p.drawRect(QRectF(w * 0.475, w * 0.66, w * 0.05, w * 0.15));
    return pm;
}

QLabel* caption(const QString& text, QWidget* parent, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    if (buddy) l->setBuddy(buddy);
    return l;
}

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Width for a field of n characters in its own font, plus the frame.
int fieldWidth(QWidget* field, int chars) {
    return field->fontMetrics().horizontalAdvance(QString(chars, QLatin1Char('0'))) + 12;
}

TEditName* nameField(const char* name, const QString& mask, int length, QWidget* parent) {
    auto* e = named(new TEditName(parent), name);
    e->setFont(mappedFont(QStringLiteral("Courier New")));
    e->setEditMask(mask);
    e->setFixedWidth(fieldWidth(e, length));
    return e;
}

TEdit5Min* timeField(const char* name, QWidget* parent, const QString& mask = kTimeMask) {
    auto* e = named(new TEdit5Min(parent), name);
    e->setEditMask(mask);
    e->setFixedWidth(fieldWidth(e, e->maxLength()));
    return e;
}

TEditZahl* counterField(const char* name, QWidget* parent) {
    auto* e = named(new TEditZahl(parent), name);
    e->setEditMask(kCounterMask);
    e->setMaximum(99);
    e->setFixedWidth(fieldWidth(e, 3));
    return e;
}

}  // namespace

QWidget* EntryMask::buildCategoryGroup(QGroupBox* box, bool vfr) {
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("Day"), box), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Nite"), box), 2, 0);
    int col = 1;
    auto make = [&](const CategoryColumn& c, const char* name, bool visible, TStatus status, int row) {
        QWidget* w;
        if (c.counter) {
            auto* e = counterField(name, box);
            e->setStatus(status);
            w = e;
        } else {
            auto* e = timeField(name, box);
            e->setStatus(status);
            w = e;
        }
        if (!visible) {
            w->setVisible(false);
            w->setFocusPolicy(Qt::NoFocus);
        } else {
            grid->addWidget(w, row, col);
        }
        if (*c.hint) w->setToolTip(QString::fromUtf8(c.hint));
        return w;
    };
    for (const auto& c :
         vfr ? std::span<const CategoryColumn>(kVfrColumns) : std::span<const CategoryColumn>(kIfrColumns)) {
        QWidget* day = make(c, c.dayControl, c.dayVisible, stDay, 1);
        make(c, c.nightControl, c.nightVisible, stNite, 2);
        auto* head = caption(QString::fromUtf8(c.caption), box, day->isVisibleTo(box) ? day : nullptr);
        if (*c.hint) head->setToolTip(QString::fromUtf8(c.hint));
        grid->addWidget(head, 0, col);
        ++col;
    }
    grid->setColumnStretch(col, 1);
    return box;
}

void EntryMask::buildMask() {
    QWidget* client = this;
    auto* outer = new QVBoxLayout(client);
    outer->setContentsMargins(12, 4, 12, 12);
    outer->setSpacing(4);

    // Top line: password switch on the left, the two titles in the middle.
    auto* top = new QHBoxLayout;
    CBHasPassword = named(new QCheckBox(QStringLiteral("Passwort gültig"), client), "CBHasPassword");
    top->addWidget(CBHasPassword);
    top->addStretch();
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPointSize(12);
    PanelTitelNew = named(new QLabel(QStringLiteral("Neuen Flug eingeben"), client), "PanelTitelNew");
    PanelTitelChange = named(new QLabel(QStringLiteral("Flug ändern"), client), "PanelTitelChange");
    // The two titles share one place, one above the other.
    auto* titles = new QGridLayout;
    for (QLabel* t : {PanelTitelNew, PanelTitelChange}) {
        t->setFont(titleFont);
        t->setFrameShape(QFrame::Panel);
        t->setFrameShadow(QFrame::Raised);
        t->setAlignment(Qt::AlignCenter);
        t->setMinimumWidth(217);
        keepRoomWhenHidden(t);
        titles->addWidget(t, 0, 0);
    }
    top->addLayout(titles);
    top->addStretch(2);
    outer->addLayout(top);

    // The mask block and the running total beside it.
    auto* upper = new QHBoxLayout;
    PanelAllg = named(new QFrame(client), "PanelAllg");
    PanelAllg->setFrameShape(QFrame::StyledPanel);
    auto* allg = new QHBoxLayout(PanelAllg);
    allg->setSpacing(10);

    auto* dateCol = new QVBoxLayout;
    EDDate = nameField("EDDate", kDateMask, 8, PanelAllg);
    dateCol->addWidget(caption(QStringLiteral("Datum"), PanelAllg, EDDate));
    dateCol->addWidget(EDDate);
    dateCol->addStretch();
    allg->addLayout(dateCol);

    auto* crew = new QGridLayout;
    crew->setHorizontalSpacing(2);
    crew->setVerticalSpacing(2);
    crew->addWidget(caption(QStringLiteral("Crew"), PanelAllg), 0, 0, 1, 3);
    crew->addWidget(caption(QStringLiteral("-duty"), PanelAllg), 1, 0);
    crew->addWidget(caption(QStringLiteral("-names"), PanelAllg), 1, 1);
    for (int r = 0; r < 4; ++r) {
        const QByteArray duty = "EDDuty" + QByteArray::number(r + 1);
        const QByteArray name = "EDName" + QByteArray::number(r + 1);
        EDDuty[std::size_t(r)] = nameField(duty.constData(), QStringLiteral(">lll;1; "), 3, PanelAllg);
        auto* n = named(new TMyEdit(PanelAllg), name.constData());
        n->setMaxLength(13);
        n->setFixedWidth(fieldWidth(n, 11));
        EDName[std::size_t(r)] = n;
        crew->addWidget(EDDuty[std::size_t(r)], r + 2, 0);
        crew->addWidget(n, r + 2, 1);
    }
    EDName[0]->setFocusPolicy(Qt::ClickFocus);  // reached from the first duty by the entry rules
    SBName = named(new QScrollBar(Qt::Vertical, PanelAllg), "SBName");
    SBName->setRange(1, 3);
    SBName->setPageStep(4);
    SBName->setFocusPolicy(Qt::NoFocus);
    SBName->hide();
    keepRoomWhenHidden(SBName);
    crew->addWidget(SBName, 2, 2, 4, 1);
    crew->setRowStretch(6, 1);
    allg->addLayout(crew);

    auto* acCol = new QVBoxLayout;
    acCol->setSpacing(2);
    EDAircraft = nameField("EDAircraft", QStringLiteral("cccccc;1; "), 6, PanelAllg);
    EDAircraft->setFocusPolicy(Qt::ClickFocus);
    EDCallsign = nameField("EDCallsign", QStringLiteral(">ccccccc;1; "), 7, PanelAllg);
    EDRegistration = nameField("EDRegistration", QStringLiteral(">ccccccc;0; "), 7, PanelAllg);
    for (auto [text, field] : {std::pair{"Aircraft", EDAircraft}, std::pair{"Callsign", EDCallsign},
                               std::pair{"Registration", EDRegistration}}) {
        acCol->addWidget(caption(QString::fromLatin1(text), PanelAllg, field));
        acCol->addWidget(field);
    }
    acCol->addStretch();
    allg->addLayout(acCol);

    auto* routeCol = new QVBoxLayout;
    routeCol->setSpacing(2);
    EDTctp = nameField("EDTctp", QStringLiteral(">aaaa;1; "), 4, PanelAllg);
    auto* tctpRow = new QHBoxLayout;
    tctpRow->addWidget(caption(QStringLiteral("TCTP Nr:"), PanelAllg, EDTctp));
    tctpRow->addWidget(EDTctp);
    tctpRow->addStretch();
    routeCol->addLayout(tctpRow);
    MRouting = named(new QPlainTextEdit(PanelAllg), "MRouting");
    MRouting->setTabChangesFocus(true);
    MRouting->setMinimumWidth(188);
    // Four lines, like the column beside it; the room below the mask belongs to the comment.
    MRouting->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    MRouting->setFixedHeight(MRouting->fontMetrics().lineSpacing() * 4 + 12);
    routeCol->addWidget(caption(QStringLiteral("&Routing"), PanelAllg, MRouting));
    routeCol->addWidget(MRouting, 1);
    allg->addLayout(routeCol, 1);

    auto* timesCol = new QVBoxLayout;
    timesCol->setSpacing(2);
    auto* lfCol = new QVBoxLayout;
    lfCol->setSpacing(2);
    TEdit5Min* atd = timeField("EDAtd", PanelAllg);
    TEdit5Min* ata = timeField("EDAta", PanelAllg);
    TEdit5Min* ate = timeField("EDAte", PanelAllg);
    TEdit5Min* lf1 = timeField("ED1lf", PanelAllg);
    TEdit5Min* lf2 = timeField("ED2lf", PanelAllg);
    TEdit5Min* ip = timeField("EDIp", PanelAllg);
    lf1->setFocusPolicy(Qt::ClickFocus);
    ip->setFocusPolicy(Qt::ClickFocus);
    for (auto [text, field] : {std::pair{"A&TD", atd}, std::pair{"ATA", ata}, std::pair{"ATE", ate}}) {
        timesCol->addWidget(caption(QString::fromLatin1(text), PanelAllg, field));
        timesCol->addWidget(field);
    }
    for (auto [text, field] : {std::pair{"1.LF", lf1}, std::pair{"2.LF", lf2}, std::pair{"IP", ip}}) {
        lfCol->addWidget(caption(QString::fromLatin1(text), PanelAllg, field));
        lfCol->addWidget(field);
    }
    timesCol->addStretch();
    lfCol->addStretch();
    allg->addLayout(timesCol);
    allg->addLayout(lfCol);
    upper->addWidget(PanelAllg, 1);

    PanelGesamt = named(new QFrame(client), "PanelGesamt");
    PanelGesamt->setFrameShape(QFrame::StyledPanel);
    auto* ges = new QVBoxLayout(PanelGesamt);
    ges->addStretch();
    ges->addWidget(new QLabel(QStringLiteral("Gesamt: "), PanelGesamt));
    EDGesTarnoki = timeField("EDGesTarnoki", PanelGesamt, QStringLiteral(" 9999:99;1; "));
    EDGesTarnoki->setReadOnly(true);
    EDGesTarnoki->setFocusPolicy(Qt::NoFocus);
    EDGesTarnoki->setDisZero(true);
    ges->addWidget(EDGesTarnoki);
    ges->addWidget(new QLabel(QStringLiteral("Stunden"), PanelGesamt));
    ges->addStretch();
    // "Gesamt" is a word the totals window and the logbook pages use for other sums.
    const QString counts = QStringLiteral(
        "Flugzeit (ATE) aller Fl\u00fcge des Flugbuchs au\u00dfer Fl\u00fcgen mit Simulatorzeit, "
        "fortgeschrieben bei Speichern, L\u00f6schen und Import; in den Optionen einstellbar.\n"
        "Nicht \u201eGesamt\u201c unter Auswerten | Summe (VFR + IFR + 2. Zeit eines Zeitraums).");
    PanelGesamt->setToolTip(counts);
    EDGesTarnoki->setToolTip(counts);
    keepRoomWhenHidden(PanelGesamt);
    upper->addWidget(PanelGesamt);
    outer->addLayout(upper);

    PanelVFR = named(new QGroupBox(QStringLiteral("VFR"), client), "PanelVFR");
    buildCategoryGroup(PanelVFR, true);
    keepRoomWhenHidden(PanelVFR);
    outer->addWidget(PanelVFR);

    auto* middle = new QHBoxLayout;
    PanelIFR = named(new QGroupBox(QStringLiteral("IFR"), client), "PanelIFR");
    buildCategoryGroup(PanelIFR, false);
    keepRoomWhenHidden(PanelIFR);
    middle->addWidget(PanelIFR);
    middle->addStretch();
    auto* side = new QVBoxLayout;
    auto* buttons = new QHBoxLayout;
    BtnCancel = named(new QPushButton(QStringLiteral("&Abbrechen "), client), "BtnCancel");
    BtnCancel->setToolTip(QStringLiteral("Eingaben nicht übernehmen"));
    Btnok = named(new QPushButton(QStringLiteral("&OK"), client), "Btnok");
    Btnok->setToolTip(QStringLiteral("Eingaben übernehmen"));
    Btnok->setDefault(true);
    Btnok->setAutoDefault(false);
    BtnCancel->setAutoDefault(false);
    BtnDown = named(new QToolButton(client), "BtnDown");
    BtnDown->setArrowType(Qt::LeftArrow);
    BtnDown->setToolTip(QStringLiteral("Vorheriger Flug (rechte Maustaste -10 Flüge)"));
    BtnUp = named(new QToolButton(client), "BtnUp");
    BtnUp->setArrowType(Qt::RightArrow);
    BtnUp->setToolTip(QStringLiteral("Nächster Flug (rechte Maustaste +10 Flüge)"));
    for (QToolButton* b : {BtnDown, BtnUp}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumSize(36, 28);
        b->setContextMenuPolicy(Qt::PreventContextMenu);  // the right button steps by ten
    }
    buttons->addStretch();
    buttons->addWidget(BtnCancel);
    buttons->addWidget(Btnok);
    buttons->addWidget(BtnDown);
    buttons->addWidget(BtnUp);
    side->addStretch();
    side->addLayout(buttons);
    CBCommentHidden = named(new QCheckBox(QStringLiteral("Kommentar &geschützt"), client), "CBCommentHidden");
    side->addWidget(CBCommentHidden);
    middle->addLayout(side);
    outer->addLayout(middle);

    Comment = named(new QGroupBox(client), "Comment");
    auto* commentBox = new QVBoxLayout(Comment);
    MemComment = named(new QPlainTextEdit(Comment), "MemComment");
    MemComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemComment->setTabChangesFocus(true);
    CommentHeader = named(caption(QStringLiteral("&Kommentar"), Comment, MemComment), "CommentHeader");
    commentBox->addWidget(CommentHeader);
    commentBox->addWidget(MemComment, 1);
    m_commentLock = named(new QLabel(MemComment->viewport()), "CommentLock");
    m_commentLock->setPixmap(lockPixmap(64));
    m_commentLock->setToolTip(
        QStringLiteral("Geschützter Kommentar: erst nach Eingabe des Passworts lesbar"));
    m_commentLock->adjustSize();
    m_commentLock->move(24, 8);
    m_commentLock->hide();
    outer->addWidget(Comment, 1);

    // Kept up to date for diagnosis, never shown.
    PanelDebug = named(new QFrame(client), "PanelDebug");
    auto* debug = new QHBoxLayout(PanelDebug);
    SetNr = named(new QLabel(PanelDebug), "SetNr");
    MaxNr = named(new QLabel(PanelDebug), "MaxNr");
    DateiPos = named(new QLabel(PanelDebug), "DateiPos");
    LbTest = named(new QLabel(PanelDebug), "LbTest");
    for (auto [text, value] : {std::pair{"angezeigt", SetNr}, std::pair{"Anzahl", MaxNr},
                               std::pair{"Dateipos.", DateiPos}, std::pair{"Test", LbTest}}) {
        debug->addWidget(new QLabel(QString::fromUtf8(text), PanelDebug));
        debug->addWidget(value);
    }
    PanelDebug->hide();

    // Tab order as the mask reads: date, crew rows, callsign and registration, TCTP, routing,
    // times, the VFR and IFR columns, comment, buttons, check boxes.
    QList<QWidget*> order{EDDate};
    for (int r = 0; r < 4; ++r) order << EDDuty[std::size_t(r)] << EDName[std::size_t(r)];
    order << EDAircraft << EDCallsign << EDRegistration << EDTctp << MRouting << atd << ata << ate << lf1
          << lf2 << ip;
    for (const auto& c : kVfrColumns)
        order << findChild<QWidget*>(QString::fromLatin1(c.dayControl))
              << findChild<QWidget*>(QString::fromLatin1(c.nightControl));
    for (const auto& c : kIfrColumns)
        order << findChild<QWidget*>(QString::fromLatin1(c.dayControl))
              << findChild<QWidget*>(QString::fromLatin1(c.nightControl));
    order << MemComment << BtnCancel << Btnok << CBHasPassword << CBCommentHidden;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

}  // namespace velmarsk
