#include "evaluation/tfmoptions.h"

#include "controls/subs.h"
#include "controls/tcolorpanel.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmycheckbox.h"
#include "dates/datetext.h"
#include "dialogs/colorchooser.h"
#include "dialogs/errormessage.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "settings/settingsbatch.h"
#include "storage/logbook.h"
#include "text/conversionerror.h"
#include "text/cp1252.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <algorithm>
#include <limits>

namespace velmarsk {
namespace {

// The setting a control is bound to, or nullptr. Fields and panels are bound by "SECTION,KEY";
// a check box by any name the settings know.
const SettingKey* boundKey(const QString& iniName) {
    if (iniName.isEmpty()) return nullptr;
    return findSettingKey(iniName);
}

quint32 toUnsigned(qint64 value) {
    return quint32(std::clamp<qint64>(value, 0, std::numeric_limits<quint32>::max()));
}

// A name field stores what was typed: nothing when no place is filled, and without the blanks
// that fill its empty places at the end (a registration prefix "D-H" stays three characters).
QString storedText(TEditName* field) {
    const QString text = field->text();
    if (!field->mask().isEmpty() && text == field->mask().emptyText()) return QString();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' ')) --end;
    return text.left(end);
}

void loadControl(QWidget* w, const Settings& settings) {
    if (auto* e = qobject_cast<TEdit5Min*>(w)) {
        if (const SettingKey* key = boundKey(e->iniName())) e->setMinutes(toUnsigned(settings.integer(*key)));
    } else if (auto* z = qobject_cast<TEditZahl*>(w)) {
        if (const SettingKey* key = boundKey(z->iniName())) z->setValue(toUnsigned(settings.integer(*key)));
    } else if (auto* n = qobject_cast<TEditName*>(w)) {
        // Texts load empty while the file has none: the birthday's own default, a four-digit
        // year, would not fit the two-digit field and come back as another date.
        if (const SettingKey* key = boundKey(n->iniName()))
            n->setText(settings.readString(key->sectionName(), key->keyName(), QString()));
    } else if (auto* p = qobject_cast<TColorPanel*>(w)) {
        // A colour missing from the file shows the colour its readers use meanwhile.
        if (const SettingKey* key = boundKey(p->iniName())) p->setColor(quint32(settings.integer(*key)));
    } else if (auto* c = qobject_cast<TMyCheckBox*>(w)) {
        // Handlers stay connected: a box follows the loaded state with its handler.
        if (const SettingKey* key = boundKey(c->iniName())) c->setChecked(settings.truth(*key));
    }
}

void saveControl(QWidget* w, Settings& settings) {
    if (auto* e = qobject_cast<TEdit5Min*>(w)) {
        if (const SettingKey* key = boundKey(e->iniName())) settings.write(*key, qint64(e->minutes()));
    } else if (auto* z = qobject_cast<TEditZahl*>(w)) {
        if (const SettingKey* key = boundKey(z->iniName())) settings.write(*key, qint64(z->value()));
    } else if (auto* n = qobject_cast<TEditName*>(w)) {
        if (const SettingKey* key = boundKey(n->iniName())) settings.write(*key, storedText(n));
    } else if (auto* p = qobject_cast<TColorPanel*>(w)) {
        if (const SettingKey* key = boundKey(p->iniName())) settings.write(*key, qint64(p->color()));
    } else if (auto* c = qobject_cast<TMyCheckBox*>(w)) {
        if (const SettingKey* key = boundKey(c->iniName())) settings.writeTruth(*key, c->isChecked());
    }
}

void tellPasswordInput(QWidget* parent, const QString& text) {
    MessageBox::tell(parent, QStringLiteral("Passworteingabe"), text, MessageBox::Icon::Stop);
}

}  // namespace

TFMOptions::TFMOptions(TFMHaupt& mainWindow)
    : QDialog(&mainWindow),
      m_main(mainWindow),
      m_book(mainWindow.flightBook()),
      m_logbook(m_book.logbook()),
      m_settings(m_book.settings()) {
    buildPages();
    connectHandlers();
    adjustSize();
}

TFMOptions::~TFMOptions() = default;

void TFMOptions::connectHandlers() {
    connect(Btnok, &QPushButton::clicked, this, &TFMOptions::BtnokClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFMOptions::BtnCancelClick);
    // Toggled, not clicked: a loaded state runs the handler as a click would.
    connect(CBNiteIfr, &QCheckBox::toggled, this, &TFMOptions::CBNiteIfrClick);
    connect(CB1911NiteIfr, &QCheckBox::toggled, this, &TFMOptions::CB1911NiteIfrClick);
    connect(HideUnused, &QCheckBox::toggled, this, &TFMOptions::HideUnusedClick);
    connect(BtnPasswordEnter, &QPushButton::clicked, this, &TFMOptions::BtnPasswordEnterClick);
    connect(BtnPasswordOK, &QPushButton::clicked, this, &TFMOptions::BtnPasswordOKClick);
    connect(BtnPasswordCancel, &QPushButton::clicked, this, &TFMOptions::BtnPasswordCancelClick);
    connect(CBDataShow, &QCheckBox::clicked, this, &TFMOptions::CBDataShowClick);
    connect(CBDataChange, &QCheckBox::clicked, this, &TFMOptions::CBDataChangeClick);
}

void TFMOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per opening: a later activation (after a message or the colour dialog) must not load
    // the file over what the user has typed.
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

bool TFMOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const std::pair<TColorPanel*, void (TFMOptions::*)()> panels[] = {
            {PNAllowed, &TFMOptions::PNAllowedClick},
            {TCTPnotFull, &TFMOptions::TCTPnotFullClick},
            {Pause2Month, &TFMOptions::Pause2MonthClick},
            {Pause3Month, &TFMOptions::Pause3MonthClick},
        };
        for (const auto& [panel, handler] : panels)
            if (watched == panel) {
                (this->*handler)();
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

void TFMOptions::LoadOrSaveOptions(QWidget* container, Mode mode) {
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) continue;
        LoadOrSaveOptions(w, mode);
        if (mode == Mode::Load)
            loadControl(w, m_settings);
        else
            saveControl(w, m_settings);
    }
}

void TFMOptions::FormActivate() {
    LoadOrSaveOptions(this, Mode::Load);
    m_loadedTotal = m_book.RunningTotal();
    m_loadedTotalShown = EDGesamtstunden->minutes();
    CBNiteIfrClick();
    CB1911NiteIfrClick();
    ShowPasswordPage();
}

bool TFMOptions::birthdayAccepted() {
    const QString text = EDBirthday->text();
    if (text == EDBirthday->mask().emptyText()) return true;  // stored empty: no birthday given
    try {
        FieldDate(text);
        return true;
    } catch (const ConversionError&) {
        showCurrentError(this);
    }
    Options->setCurrentWidget(findChild<QWidget*>(QStringLiteral("User")));
    EDBirthday->setFocus();
    return false;
}

void TFMOptions::BtnokClick() {
    if (!birthdayAccepted()) return;
    try {
        // Every key in one replacement of the file: a refused write leaves the file as it was.
        SettingsBatch batch(m_settings);
        LoadOrSaveOptions(this, Mode::Save);
        // The field holds whole 5-minute steps from 0 on: a total it cannot show (after flights
        // of odd minutes, or below zero) stays as it was unless the pilot typed a new one.
        const quint32 shown = EDGesamtstunden->minutes();
        m_book.setRunningTotal(shown == m_loadedTotalShown
                                   ? m_loadedTotal
                                   : qint32(std::min<quint32>(shown, std::numeric_limits<qint32>::max())));
        batch.commit();
    } catch (...) {
        if (!showCurrentError(this)) throw;
        return;
    }
    // A flight being entered keeps what was typed; the new settings show with the next display.
    if (m_main.EntryState() == Browse) m_main.ShowFlight(m_main.CurrentPosition());
    accept();
}

void TFMOptions::BtnCancelClick() {
    reject();
}

void TFMOptions::CBNiteIfrClick() {
    EdNiteNonPrec->setVisible(!CBNiteIfr->isChecked());
}

void TFMOptions::CB1911NiteIfrClick() {
    ED1911NonPrecNite->setVisible(!CB1911NiteIfr->isChecked());
}

void TFMOptions::HideUnusedClick() {
    m_main.setHideUnused(HideUnused->isChecked());
}

bool TFMOptions::chooseColor(TColorPanel* panel) {
    const std::optional<quint32> color = ColorChooser::choose(this, panel->color());
    if (!color) return false;
    panel->setColor(*color);
    return true;
}

void TFMOptions::PNAllowedClick() {
    if (chooseColor(PNAllowed)) SetAllowedColorTree(&m_main.mask(), PNAllowed->color());
}

void TFMOptions::TCTPnotFullClick() {
    chooseColor(TCTPnotFull);
}

void TFMOptions::Pause2MonthClick() {
    chooseColor(Pause2Month);
}

void TFMOptions::Pause3MonthClick() {
    chooseColor(Pause3Month);
}

// Password page

void TFMOptions::showProtectFlags() {
    const QSignalBlocker blockShow(CBDataShow);
    const QSignalBlocker blockChange(CBDataChange);
    CBDataShow->setChecked(m_logbook.ShowProtected());
    CBDataChange->setChecked(m_logbook.ChangeProtected());
}

void TFMOptions::ShowPasswordPage() {
    PnPassword->hide();
    BtnPasswordEnter->show();
    showProtectFlags();
    const bool hasPassword = m_logbook.HasPassword();
    PnNoPassword->setText(hasPassword ? QStringLiteral("Passwort vorhanden")
                                      : QStringLiteral("Kein Passwort vorhanden"));
    BtnPasswordEnter->setText(hasPassword ? QStringLiteral("&Ändern") : QStringLiteral("&Eingeben"));
    BtnPasswordOK->hide();
    BtnPasswordCancel->hide();
    PnPasswordValid->setVisible(hasPassword);
    EDPassword1->clear();
    EDPassword2->clear();
    Btnok->setDefault(true);
}

bool TFMOptions::confirmPassword() {
    if (!m_passwordConfirmed && !m_main.AskPasswordIfSet()) return false;
    m_passwordConfirmed = true;
    m_main.setPasswordValid(true);
    return true;
}

void TFMOptions::BtnPasswordEnterClick() {
    if (!confirmPassword()) return;
    BtnPasswordOK->show();
    BtnPasswordCancel->show();
    BtnPasswordEnter->hide();
    PnPasswordValid->hide();
    PnPassword->show();
    EDPassword1->clear();
    EDPassword2->clear();
    EDPassword1->setFocus();
    // Enter in the password fields confirms the password, not the whole dialog.
    BtnPasswordOK->setDefault(true);
}

void TFMOptions::BtnPasswordOKClick() {
    const QString first = EDPassword1->text();
    const QString second = EDPassword2->text();
    if (first.isEmpty() && second.isEmpty() &&
        MessageBox::ask(this, QStringLiteral("Passwort löschen"),
                        QStringLiteral("Soll das Passwort wirklich gelöscht werden"), MessageBox::Icon::Stop,
                        MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes) {
        m_logbook.WritePassword(QString());  // a write error is told by the logbook
        ShowPasswordPage();
        return;
    }
    if (first.size() < 4 || first.size() > 12) {
        tellPasswordInput(this, QStringLiteral("Passwort muß zwischen 4 und 12 Zeichen lange sein"));
        BtnPasswordEnterClick();
        return;
    }
    if (first != second) {
        tellPasswordInput(this, QStringLiteral("Eingaben stimmen nicht überein"));
        BtnPasswordEnterClick();
        return;
    }
    // The logbook holds 8-bit text: a character it cannot hold would change the password.
    if (const QChar bad = cp1252::firstUnencodable(first); !bad.isNull()) {
        const qsizetype at = first.indexOf(bad);
        tellPasswordInput(
            this, QStringLiteral("Das Zeichen \u201E%1\u201C kann im Passwort nicht gespeichert werden.")
                      .arg(first.mid(at, bad.isHighSurrogate() ? 2 : 1)));
        BtnPasswordEnterClick();
        return;
    }
    m_logbook.WritePassword(first);
    ShowPasswordPage();
}

void TFMOptions::BtnPasswordCancelClick() {
    ShowPasswordPage();
}

void TFMOptions::protectFlagClicked(QCheckBox* box) {
    if (!confirmPassword()) {
        const QSignalBlocker block(box);
        box->setChecked(!box->isChecked());
        return;
    }
    // A refused write leaves the flags as they were; the boxes show them again.
    if (!m_logbook.WriteProtectFlags(CBDataShow->isChecked(), CBDataChange->isChecked())) showProtectFlags();
}

void TFMOptions::CBDataShowClick() {
    protectFlagClicked(CBDataShow);
}

void TFMOptions::CBDataChangeClick() {
    protectFlagClicked(CBDataChange);
}

// The main window's command "&Optionen".
void TFMHaupt::OpenOptionsDialog() {
    TFMOptions dialog(*this);
    CenterOverMainForm(&dialog);
    dialog.Options->setCurrentIndex(0);
    // "&OK" has shown the flight with the new settings already; a flight being entered keeps what
    // was typed (hidden blocks and colours follow at once anyway).
    if (dialog.exec() != QDialog::Accepted && EntryState() == Browse) ShowFlight(m_currentPosition);
}

}  // namespace velmarsk
