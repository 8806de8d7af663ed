// The pages of the options dialog, built from tables: each entry control names its setting in
// IniName, so loading and saving need no list of their own.
#include "controls/fonts.h"
#include "controls/subs.h"
#include "controls/tcolorpanel.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmycheckbox.h"
#include "evaluation/tfmoptions.h"
#include "settings/settingkeys.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmarsk {
namespace {

enum class Kind { Time, Count, Text };

// A field of the page "Benutzer".
struct UserField {
    const char* label;
    const char* name;
    Kind kind;
    const SettingKey* key;
    const char* mask;
    const char* hint;
};

const UserField kUserFields[] = {
    {"Nachname", "EDName", Kind::Text, &setting::USER::NAME, "lllllllllllll;1; ",
     "Nachname erscheint in der Eingabemaske"},
    {"Funktion", "EDFunction", Kind::Text, &setting::USER::FUNCTION, ">lll;1; ",
     "Funktion an Bord (P, IP, FE etc)"},
    {"Geburtstag", "EDBirthday", Kind::Text, &setting::USER::BIRTHDAY, "99/99/99;1; ",
     "Zur Auswertung gem. 19/11"},
    {"LFZ Typ", "EDAircraft", Kind::Text, &setting::USER::AIRCRAFT, "Cccccc;1; ",
     "Normalerweise geflogener Typ, Erscheint als Vorgabe in der Eingabemaske"},
    {"Vorgabe Registration", "EDRegistration", Kind::Text, &setting::USER::REGISTRATION, "ccccccc;1; ", ""},
    {"Gesamtsttunden", "EDGesamtstunden", Kind::Time, &setting::USER::GESAMTSTUNDEN, "99999:99;1; ", ""},
};

// One requirement row: day (or day and night together while the is-total box is set), night,
// and the is-total box; a row may lack any of them.
struct RequirementRow {
    const char* page;
    const char* group;
    const char* label;
    Kind kind;
    const SettingKey* day;
    const SettingKey* night;
    const SettingKey* isTotal;
};

using namespace setting;

const RequirementRow kRequirementRows[] = {
    {"Tctp", "Stunden", "Gesamt", Kind::Time, &TCTP::GESAMT, nullptr, nullptr},
    {"Tctp", "Stunden", "VFR", Kind::Time, &TCTP::GESVFR, &TCTP::GESNITE, &TCTP::VFRISGES},
    {"Tctp", "Stunden", "Nite-Navigation", Kind::Time, nullptr, &TCTP::NITENAV, nullptr},
    {"Tctp", "Stunden", "IFR", Kind::Time, &TCTP::GESIFR, &TCTP::NITEIFR, &TCTP::IFRISGES},
    {"Tctp", "Stunden", "Simulator", Kind::Time, &TCTP::SIMGES, &TCTP::SIMNITE, &TCTP::SIMISGES},
    {"Tctp", "Stunden", "LL<100", Kind::Time, &TCTP::LL100, nullptr, nullptr},
    {"Tctp", "Stunden", "LL-Navigation", Kind::Time, &TCTP::LLNAV, nullptr, nullptr},
    {"Tctp", "Stunden", "Emergency", Kind::Time, &TCTP::EMERGGES, &TCTP::EMERGNITE, &TCTP::EMERGISGES},
    {"Tctp", "Stunden", "Formation", Kind::Time, &TCTP::FORMGES, &TCTP::FORMNITE, &TCTP::FORMISGES},
    {"Tctp", "Stunden", "tak. Formation", Kind::Time, &TCTP::FORMTAK, &TCTP::FORMTAKNITE,
     &TCTP::TAKFORMISGES},
    {"Tctp", "Verfahren", "Prec.:", Kind::Count, &TCTP::PRECGES, &TCTP::PRECNITE, nullptr},
    {"Tctp", "Verfahren", "Non Prec.:", Kind::Count, &TCTP::NONPRECGES, &TCTP::NONPRECNITE, nullptr},
    {"Tctp", "Verfahren", "AR", Kind::Count, &TCTP::ARGES, &TCTP::ARNITE, &TCTP::ARISGES},
    {"Tctp", "Verfahren", "senkrecht", Kind::Count, &TCTP::VERTGES, &TCTP::VERTNITE, &TCTP::VERTISGES},
    {"Tctp", "Verfahren", "Winde", Kind::Count, &TCTP::WINCHGES, &TCTP::WINCHNITE, &TCTP::WINCHISGES},
    {"Tctp", "Verfahren", "Suche", Kind::Count, &TCTP::SEARCHGES, &TCTP::SEARCHNITE, &TCTP::SEARCHISGES},
    {"Tctp", "Verfahren", "Anflüge", Kind::Count, &TCTP::APPROACHGES, &TCTP::APPROACHNITE, &TCTP::APPRISGES},
    {"Tctp", "Verfahren", "Außenlast", Kind::Count, &TCTP::EXTGES, &TCTP::EXTNITE, &TCTP::EXTISGES},
    {"Tctp", "Verfahren", "Landungen", Kind::Count, &TCTP::LANDGES, &TCTP::LANDNITE, &TCTP::LANDISGES},
    {"ZDv1911", "Stunden", "IFR", Kind::Time, &TCTP::GES1911, &TCTP::NITE1911, &TCTP::IFRISGES1911},
    {"ZDv1911", "Stunden", "Simulator", Kind::Time, &TCTP::SIM1911GES, &TCTP::SIM1911NITE,
     &TCTP::SIMISGES1911},
    {"ZDv1911", "Verfahren", "Prec.:", Kind::Count, &TCTP::PREC1911GES, &TCTP::PREC1911NITE, nullptr},
    {"ZDv1911", "Verfahren", "Non Prec.:", Kind::Count, &TCTP::NONPREC1911GES, &TCTP::NONPREC1911NITE,
     nullptr},
};

// What each requirement page has besides its rows.
struct RequirementPage {
    const char* name;
    const SettingKey* niteIfr;  // "Keine Unterscheidung"
    const char* niteIfrName;
    const SettingKey* simPercent;
    const SettingKey* simHours;
    bool nbGroup;
};

const RequirementPage kRequirementPages[] = {
    {"Tctp", &TCTP::IFRNDIFF, "CBNiteIfr", &TCTP::SIMPROZ, &TCTP::SIMTIME, true},
    {"ZDv1911", &TCTP::IFRNDIFF1911, "CB1911NiteIfr", &TCTP::SIMPROZ1911, &TCTP::SIMTIME1911, false},
};

// A colour of the page "Einstellung".
struct ColorRow {
    const char* name;
    const SettingKey* key;
    const char* label;
};

const ColorRow kColorRows[] = {
    {"PNAllowed", &SETTINGS::NOTALLOWEDCOLOR, "gesperrte Eingabefelder"},
    {"TCTPnotFull", &SETTINGS::TCTPNOTFULL, "nicht erfüllte TCTP Punkte"},
    {"Pause2Month", &SETTINGS::PAUSE2MONTH, "über 2 Monate Flugpause"},
    {"Pause3Month", &SETTINGS::PAUSE3MONTH, "über 3 Monate Flugpause"},
};

const QString kTimeMask = QStringLiteral("999:99;1; ");

QString text(const char* s) {
    return QString::fromUtf8(s);
}

template <typename T>
T* named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// The two night "Non Prec.:" fields keep the names the handlers know them by.
QString fieldName(const SettingKey& key) {
    if (&key == &TCTP::NONPRECNITE) return QStringLiteral("EdNiteNonPrec");
    if (&key == &TCTP::NONPREC1911NITE) return QStringLiteral("ED1911NonPrecNite");
    return QStringLiteral("ED") + key.keyName();
}

int fieldWidth(QWidget* field, int chars) {
    return field->fontMetrics().horizontalAdvance(QString(chars, QLatin1Char('0'))) + 12;
}

QWidget* makeField(Kind kind, const SettingKey& key, const QString& name, const QString& mask,
                   QWidget* parent) {
    QWidget* field = nullptr;
    int chars = 0;
    switch (kind) {
        case Kind::Time: {
            auto* e = named(new TEdit5Min(parent), name);
            e->setEditMask(mask.isEmpty() ? kTimeMask : mask);
            e->setIniName(key.iniName());
            chars = e->maxLength();
            field = e;
            break;
        }
        case Kind::Count: {
            auto* e = named(new TEditZahl(parent), name);
            e->setIniName(key.iniName());
            chars = 4;
            field = e;
            break;
        }
        case Kind::Text: {
            auto* e = named(new TEditName(parent), name);
            e->setFont(mappedFont(QStringLiteral("Courier New")));
            e->setEditMask(mask);
            e->setIniName(key.iniName());
            chars = e->maxLength();
            field = e;
            break;
        }
    }
    field->setFixedWidth(fieldWidth(field, chars));
    return field;
}

TMyCheckBox* makeCheckBox(const SettingKey& key, const QString& name, const QString& caption,
                          QWidget* parent) {
    auto* box = named(new TMyCheckBox(parent), name);
    box->setText(caption);
    box->setIniName(key.iniName());
    return box;
}

QLabel* label(const QString& caption, QWidget* parent, QWidget* buddy = nullptr) {
    auto* l = new QLabel(caption, parent);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QGroupBox* requirementGroup(const char* page, const char* group, QWidget* parent) {
    auto* box = new QGroupBox(text(group), parent);
    box->setObjectName(QString::fromLatin1(page) + QString::fromLatin1(group));
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(2);
    grid->addWidget(label(QStringLiteral("Tag / Gesamt"), box), 0, 1);
    grid->addWidget(label(QStringLiteral("Nacht"), box), 0, 2);
    int row = 1;
    for (const RequirementRow& r : kRequirementRows) {
        if (qstrcmp(r.page, page) != 0 || qstrcmp(r.group, group) != 0) continue;
        QLabel* caption = label(text(r.label), box);
        grid->addWidget(caption, row, 0);
        int col = 1;
        for (const SettingKey* key : {r.day, r.night}) {
            if (key) {
                QWidget* field = makeField(r.kind, *key, fieldName(*key), QString(), box);
                keepRoomWhenHidden(field);
                grid->addWidget(field, row, col);
                if (!caption->buddy()) caption->setBuddy(field);
            }
            ++col;
        }
        if (r.isTotal) {
            auto* total =
                makeCheckBox(*r.isTotal, QStringLiteral("CB") + r.isTotal->keyName(), QString(), box);
            total->setToolTip(QStringLiteral("Wenn markiert gilt gesamt"));
            grid->addWidget(total, row, col);
        }
        ++row;
    }
    grid->setColumnStretch(4, 1);
    return box;
}

}  // namespace

void TFMOptions::buildPages() {
    setObjectName(QStringLiteral("FMOptions"));
    setWindowTitle(QStringLiteral("Optionen"));
    auto* layout = new QVBoxLayout(this);
    Options = named(new QTabWidget(this), QStringLiteral("Options"));
    layout->addWidget(Options);
    Options->addTab(buildUserPage(), QStringLiteral("Benutzer"));
    Options->addTab(buildSettingsPage(), QStringLiteral("Einstellung"));
    Options->addTab(buildRequirementPage("Tctp"), QStringLiteral("Tctp"));
    Options->addTab(buildRequirementPage("ZDv1911"), QStringLiteral("ZDv 19/11"));
    Options->addTab(buildPasswordPage(), QStringLiteral("Passwort"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Btnok = named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("Btnok"));
    Btnok->setToolTip(QStringLiteral("Eingaben übernehmen"));
    Btnok->setDefault(true);
    BtnCancel = named(new QPushButton(QStringLiteral("&Abbrechen "), this), QStringLiteral("BtnCancel"));
    BtnCancel->setToolTip(QStringLiteral("Eingaben nicht übernehmen"));
    buttons->addWidget(Btnok);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);

    EDBirthday = findChild<TEditName*>(QStringLiteral("EDBirthday"));
    EDGesamtstunden = findChild<TEdit5Min*>(QStringLiteral("EDGesamtstunden"));
    EdNiteNonPrec = findChild<QWidget*>(QStringLiteral("EdNiteNonPrec"));
    ED1911NonPrecNite = findChild<QWidget*>(QStringLiteral("ED1911NonPrecNite"));
    CBNiteIfr = findChild<TMyCheckBox*>(QStringLiteral("CBNiteIfr"));
    CB1911NiteIfr = findChild<TMyCheckBox*>(QStringLiteral("CB1911NiteIfr"));
}

QWidget* TFMOptions::buildUserPage() {
    auto* page = named(new QWidget, QStringLiteral("User"));
    auto* grid = new QGridLayout(page);
    int row = 0;
    for (const UserField& f : kUserFields) {
        QWidget* field = makeField(f.kind, *f.key, QString::fromLatin1(f.name), text(f.mask), page);
        field->setToolTip(text(f.hint));
        grid->addWidget(label(text(f.label), page, field), row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* TFMOptions::buildSettingsPage() {
    auto* page = named(new QWidget, QStringLiteral("Einstellung"));
    auto* layout = new QVBoxLayout(page);
    HideUnused = makeCheckBox(SETTINGS::HIDEUNUSED, QStringLiteral("HideUnused"),
                              QStringLiteral("Leere Blöcke verstecken"), page);
    HideUnused->setToolTip(QStringLiteral("z.B. den IFR Block verstecken wenn er leer ist"));
    layout->addWidget(HideUnused);

    auto* colors = named(new QGroupBox(QStringLiteral("Farben"), page), QStringLiteral("GBColors"));
    auto* grid = new QGridLayout(colors);
    int row = 0;
    for (const ColorRow& c : kColorRows) {
        auto* panel = named(new TColorPanel(colors), QString::fromLatin1(c.name));
        panel->setIniName(c.key->iniName());
        panel->setFixedSize(40, 20);
        panel->setCursor(Qt::PointingHandCursor);
        panel->installEventFilter(this);
        grid->addWidget(panel, row, 0);
        grid->addWidget(label(text(c.label), colors), row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    layout->addWidget(colors);
    layout->addStretch(1);

    PNAllowed = colors->findChild<TColorPanel*>(QStringLiteral("PNAllowed"));
    TCTPnotFull = colors->findChild<TColorPanel*>(QStringLiteral("TCTPnotFull"));
    Pause2Month = colors->findChild<TColorPanel*>(QStringLiteral("Pause2Month"));
    Pause3Month = colors->findChild<TColorPanel*>(QStringLiteral("Pause3Month"));
    return page;
}

QWidget* TFMOptions::buildRequirementPage(const char* name) {
    const RequirementPage* extras = nullptr;
    for (const RequirementPage& p : kRequirementPages)
        if (qstrcmp(p.name, name) == 0) extras = &p;
    Q_ASSERT(extras);

    auto* page = named(new QWidget, QString::fromLatin1(name));
    auto* columns = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    left->addWidget(requirementGroup(name, "Stunden", page));
    left->addStretch(1);
    right->addWidget(requirementGroup(name, "Verfahren", page));

    auto* nightIfr = new QGroupBox(QStringLiteral("Nacht-IFR"), page);
    auto* nightLayout = new QVBoxLayout(nightIfr);
    nightLayout->addWidget(makeCheckBox(*extras->niteIfr, QString::fromLatin1(extras->niteIfrName),
                                        QStringLiteral("Keine Unterscheidung"), nightIfr));
    right->addWidget(nightIfr);

    auto* sim = new QGroupBox(QStringLiteral("Anerkennung Simulator"), page);
    sim->setToolTip(QStringLiteral("Anerkannte Simulatorstunden"));
    auto* simLayout = new QHBoxLayout(sim);
    auto* percent = static_cast<TEditZahl*>(
        makeField(Kind::Count, *extras->simPercent, fieldName(*extras->simPercent), QString(), sim));
    percent->setMaximum(100);
    simLayout->addWidget(percent);
    simLayout->addWidget(label(QStringLiteral("% bis maximal"), sim));
    simLayout->addWidget(
        makeField(Kind::Count, *extras->simHours, fieldName(*extras->simHours), QString(), sim));
    simLayout->addWidget(label(QStringLiteral("Simulatorstunden"), sim));
    simLayout->addStretch(1);
    right->addWidget(sim);

    if (extras->nbGroup) {
        auto* nb = new QGroupBox(QStringLiteral("NB-Flug"), page);
        nb->setToolTip(QStringLiteral("Kennzeichnung für NB Flüge"));
        auto* nbLayout = new QHBoxLayout(nb);
        QWidget* number =
            makeField(Kind::Text, TCTP::NBSYMB, fieldName(TCTP::NBSYMB), QStringLiteral(">cccc;1; "), nb);
        nbLayout->addWidget(label(QStringLiteral("TCTP-Nr: "), nb, number));
        nbLayout->addWidget(number);
        nbLayout->addStretch(1);
        right->addWidget(nb);
    }
    right->addStretch(1);
    return page;
}

QWidget* TFMOptions::buildPasswordPage() {
    auto* page = named(new QWidget, QStringLiteral("Password"));
    auto* layout = new QVBoxLayout(page);

    auto* top = new QHBoxLayout;
    PnNoPassword = named(new QLabel(page), QStringLiteral("PnNoPassword"));
    PnNoPassword->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    top->addWidget(PnNoPassword, 1);
    BtnPasswordEnter =
        named(new QPushButton(QStringLiteral("&Eingeben"), page), QStringLiteral("BtnPasswordEnter"));
    top->addWidget(BtnPasswordEnter);
    layout->addLayout(top);

    PnPasswordValid =
        named(new QGroupBox(QStringLiteral("Passwort gilt für:"), page), QStringLiteral("PnPasswordValid"));
    auto* valid = new QVBoxLayout(PnPasswordValid);
    CBDataShow =
        named(new QCheckBox(QStringLiteral("Daten anzeigen"), PnPasswordValid), QStringLiteral("CBDataShow"));
    CBDataChange =
        named(new QCheckBox(QStringLiteral("Daten ändern"), PnPasswordValid), QStringLiteral("CBDataChange"));
    CBCommentShow = named(new QCheckBox(QStringLiteral("Geschützte Kommentare anzeigen"), PnPasswordValid),
                          QStringLiteral("CBCommentShow"));
    CBCommentShow->setChecked(true);
    CBCommentShow->setEnabled(false);
    for (QCheckBox* box : {CBDataShow, CBDataChange, CBCommentShow}) valid->addWidget(box);
    layout->addWidget(PnPasswordValid);

    PnPassword =
        named(new QGroupBox(QStringLiteral("Neues Passwort eingeben"), page), QStringLiteral("PnPassword"));
    auto* grid = new QGridLayout(PnPassword);
    auto passwordField = [this](const QString& name) {
        auto* e = named(new QLineEdit(PnPassword), name);
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
        e->setFixedWidth(fieldWidth(e, 14));
        return e;
    };
    EDPassword1 = passwordField(QStringLiteral("EDPassword1"));
    EDPassword2 = passwordField(QStringLiteral("EDPassword2"));
    grid->addWidget(EDPassword1, 0, 0);
    grid->addWidget(label(QStringLiteral("(4 - 12 Zeichen)"), PnPassword), 0, 1);
    grid->addWidget(EDPassword2, 1, 0);
    grid->addWidget(label(QStringLiteral("Passwort wiederholen"), PnPassword), 1, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(label(QStringLiteral("Zum Löschen des Passwortes beide Felder leer lassen"), PnPassword),
                    2, 0, 1, 2);
    layout->addWidget(PnPassword);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BtnPasswordOK = named(new QPushButton(QStringLiteral("OK"), page), QStringLiteral("BtnPasswordOK"));
    BtnPasswordCancel =
        named(new QPushButton(QStringLiteral("Abbrechen"), page), QStringLiteral("BtnPasswordCancel"));
    buttons->addWidget(BtnPasswordOK);
    buttons->addWidget(BtnPasswordCancel);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return page;
}

}  // namespace velmarsk
