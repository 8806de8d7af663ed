#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace velmarsk {

class FlightBook;
class Logbook;
class Settings;
class TColorPanel;
class TEdit5Min;
class TEditName;
class TFMHaupt;
class TMyCheckBox;

// The options dialog: personal data, display choices and colours, the yearly training
// requirements and the password. Every entry control that edits a setting names it in its IniName
// ("SECTION,KEY") and is loaded and saved by one generic walk over the dialog; nothing reaches the
// settings file before "&OK". The password page acts at once through the logbook.
class TFMOptions : public QDialog {
    Q_OBJECT

public:
    enum class Mode { Load, Save };

    explicit TFMOptions(TFMHaupt& mainWindow);
    ~TFMOptions() override;

    // Reads (Load) or writes (Save) the setting of every bound control inside container, depth
    // first in child order. Save throws SettingsWriteError as the settings do.
    void LoadOrSaveOptions(QWidget* container, Mode mode);

    void FormActivate();
    void BtnokClick();
    void BtnCancelClick();
    void CBNiteIfrClick();
    void CB1911NiteIfrClick();
    void HideUnusedClick();
    void PNAllowedClick();
    void TCTPnotFullClick();
    void Pause2MonthClick();
    void Pause3MonthClick();

    // Password page
    void ShowPasswordPage();
    void BtnPasswordEnterClick();
    void BtnPasswordOKClick();
    void BtnPasswordCancelClick();
    void CBDataShowClick();
    void CBDataChangeClick();
    bool passwordConfirmed() const { return m_passwordConfirmed; }

    // Controls, named as their objectName; the requirement fields are found by name
    // ("ED" and their key, "CB" and the key of an is-total box).
    QTabWidget* Options = nullptr;
    QPushButton* Btnok = nullptr;
    QPushButton* BtnCancel = nullptr;
    TEditName* EDBirthday = nullptr;
    TEdit5Min* EDGesamtstunden = nullptr;
    TMyCheckBox* HideUnused = nullptr;
    TColorPanel* PNAllowed = nullptr;
    TColorPanel* TCTPnotFull = nullptr;
    TColorPanel* Pause2Month = nullptr;
    TColorPanel* Pause3Month = nullptr;
    TMyCheckBox* CBNiteIfr = nullptr;
    TMyCheckBox* CB1911NiteIfr = nullptr;
    QWidget* EdNiteNonPrec = nullptr;
    QWidget* ED1911NonPrecNite = nullptr;

    QGroupBox* PnPassword = nullptr;
    QPushButton* BtnPasswordEnter = nullptr;
    QLabel* PnNoPassword = nullptr;
    QPushButton* BtnPasswordOK = nullptr;
    QPushButton* BtnPasswordCancel = nullptr;
    QGroupBox* PnPasswordValid = nullptr;
    QCheckBox* CBDataShow = nullptr;
    QCheckBox* CBDataChange = nullptr;
    QCheckBox* CBCommentShow = nullptr;
    QLineEdit* EDPassword1 = nullptr;
    QLineEdit* EDPassword2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPages();
    QWidget* buildUserPage();
    QWidget* buildSettingsPage();
    QWidget* buildRequirementPage(const char* page);
    QWidget* buildPasswordPage();
    void connectHandlers();

    // Runs the colour dialog for a panel; true when a colour was chosen.
    bool chooseColor(TColorPanel* panel);
    // Runs the password question unless it was answered during this opening of the dialog.
    bool confirmPassword();
    void protectFlagClicked(QCheckBox* box);
    void showProtectFlags();
    bool birthdayAccepted();

    TFMHaupt& m_main;
    FlightBook& m_book;
    Logbook& m_logbook;
    Settings& m_settings;
    bool m_activated = false;
    bool m_passwordConfirmed = false;
    qint32 m_loadedTotal = 0;        // the running total when the dialog opened
    quint32 m_loadedTotalShown = 0;  // and as "Gesamtsttunden" showed it
};

}  // namespace velmarsk
