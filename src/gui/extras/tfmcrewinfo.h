#pragma once

#include "evaluation/crewlists.h"

#include <QWidget>
#include <array>

class QFontDialog;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;

namespace velmarsk {

class MultiLineTabBar;
class Settings;
class TFMHaupt;

// "CrewInfo": every crew name, duty, aircraft type, callsign and registration the logbook holds,
// one tab each, with their count. A double-click on a name, callsign or registration searches for
// the newest flight that holds it. Position, size, tab and list font are kept in the settings.
class TFMCrewInfo : public QWidget {
    Q_OBJECT

public:
    explicit TFMCrewInfo(TFMHaupt& main);
    ~TFMCrewInfo() override;

    // Creates the window as the settings describe it, shows it and fills it.
    static TFMCrewInfo* OpenCrewInfo(TFMHaupt& main);

    void BuildCrewLists();
    void TCCrewInfoChange();
    void FormResize();
    void Kopieren1Click();
    void FontClick();
    void LBCrewInfoDblClick();
    void DoFormCloseClick();

    const QStringList& list(int tab) const { return m_lists[std::size_t(tab)]; }

    MultiLineTabBar* TCCrewInfo = nullptr;
    QFrame* LBAnzCrewInfo = nullptr;
    QLabel* AnzCrewInfo = nullptr;
    QListWidget* LBCrewInfo = nullptr;
    QMenu* PUCrewInfo = nullptr;
    QFontDialog* FontDialog = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void writeSettings();

    TFMHaupt& m_main;
    // The settings are written when the window goes, which may be while the main window goes.
    Settings& m_settings;
    std::array<QStringList, CrewLists::kListCount> m_lists;
};

}  // namespace velmarsk
