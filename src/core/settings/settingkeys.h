#pragma once

#include <QString>
#include <QStringView>
#include <span>

namespace velmarsk {

// What a setting holds, and so how it is read and written.
// Time is a count of minutes.
enum class SettingKind { Text, Integer, Truth, Time, Colour };

// One key of the settings file: where it lives, what it holds and what a read yields while the
// file has no value for it. Every reader and writer names its key through one of these.
struct SettingKey {
    const char* section;
    const char* key;
    SettingKind kind;
    qint64 number;     // default of an integer, minutes, colour or truth (0/1) setting
    const char* text;  // default of a text setting

    QString sectionName() const { return QString::fromLatin1(section); }
    QString keyName() const { return QString::fromLatin1(key); }
    QString textDefault() const { return QString::fromLatin1(text); }
    // "SECTION,KEY", as a control of the options dialog names its setting.
    QString iniName() const { return sectionName() + QLatin1Char(',') + keyName(); }
};

// Every key of the file: section, name, kind, default number (integers, minutes, colours, truth as
// 0/1) and default text. TCTP holds the yearly training requirements: times in minutes, procedures
// as counts, and the flags that say whether a row's first value counts day and night together.
#define VELMARSK_SETTING_KEYS(X)                       \
    X(USER, NAME, Text, 0, "")                         \
    X(USER, FUNCTION, Text, 0, "")                     \
    X(USER, BIRTHDAY, Text, 0, "01.01.1900")           \
    X(USER, AIRCRAFT, Text, 0, "")                     \
    X(USER, REGISTRATION, Text, 0, "")                 \
    X(USER, GESAMTSTUNDEN, Time, 0, "")                \
    X(SETTINGS, HIDEUNUSED, Truth, 1, "")              \
    X(SETTINGS, NOTALLOWEDCOLOR, Colour, 14869218, "") \
    X(SETTINGS, TCTPNOTFULL, Colour, 255, "")          \
    X(SETTINGS, PAUSE2MONTH, Colour, 65535, "")        \
    X(SETTINGS, PAUSE3MONTH, Colour, 255, "")          \
    X(DISPLAY, FONTSIZE, Integer, 8, "")               \
    X(DISPLAY, FONTNAME, Text, 0, "MS Sans Serif")     \
    X(DISPLAY, ITALIC, Truth, 0, "")                   \
    X(DISPLAY, BOLD, Truth, 0, "")                     \
    X(CREWINFO, LEFT, Integer, 0, "")                  \
    X(CREWINFO, TOP, Integer, 0, "")                   \
    X(CREWINFO, WIDTH, Integer, 200, "")               \
    X(CREWINFO, HEIGHT, Integer, 200, "")              \
    X(CREWINFO, ACTIVE, Integer, 0, "")                \
    X(CREWINFO, FONTSIZE, Integer, 8, "")              \
    X(CREWINFO, FONTNAME, Text, 0, "Arial")            \
    X(CREWINFO, ITALIC, Truth, 0, "")                  \
    X(CREWINFO, BOLD, Truth, 0, "")                    \
    X(GRUPPENSUMME, LEFT, Integer, 0, "")              \
    X(GRUPPENSUMME, TOP, Integer, 0, "")               \
    X(GRUPPENSUMME, WIDTH, Integer, 0, "")             \
    X(GRUPPENSUMME, HEIGHT, Integer, 0, "")            \
    X(GRUPPENSUMME, GRUPPE, Text, 0, "aircraft")       \
    X(PATH, Export, Text, 0, "")                       \
    X(PATH, SEITEN, Text, 0, "")                       \
    X(MISC, ORDNEN, Truth, 0, "")                      \
    X(MISC, SICHERUNGEN, Integer, 10, "")              \
    X(MISC, UEBERTRAG, Time, 0, "")                    \
    X(TCTP, GESAMT, Time, 0, "")                       \
    X(TCTP, GESVFR, Time, 0, "")                       \
    X(TCTP, GESNITE, Time, 0, "")                      \
    X(TCTP, VFRISGES, Truth, 1, "")                    \
    X(TCTP, NITENAV, Time, 0, "")                      \
    X(TCTP, GESIFR, Time, 0, "")                       \
    X(TCTP, NITEIFR, Time, 0, "")                      \
    X(TCTP, IFRISGES, Truth, 1, "")                    \
    X(TCTP, SIMGES, Time, 0, "")                       \
    X(TCTP, SIMNITE, Time, 0, "")                      \
    X(TCTP, SIMISGES, Truth, 1, "")                    \
    X(TCTP, LL100, Time, 0, "")                        \
    X(TCTP, LLNAV, Time, 0, "")                        \
    X(TCTP, EMERGGES, Time, 0, "")                     \
    X(TCTP, EMERGNITE, Time, 0, "")                    \
    X(TCTP, EMERGISGES, Truth, 1, "")                  \
    X(TCTP, FORMGES, Time, 0, "")                      \
    X(TCTP, FORMNITE, Time, 0, "")                     \
    X(TCTP, FORMISGES, Truth, 1, "")                   \
    X(TCTP, FORMTAK, Time, 0, "")                      \
    X(TCTP, FORMTAKNITE, Time, 0, "")                  \
    X(TCTP, TAKFORMISGES, Truth, 1, "")                \
    X(TCTP, PRECGES, Integer, 0, "")                   \
    X(TCTP, PRECNITE, Integer, 0, "")                  \
    X(TCTP, NONPRECGES, Integer, 0, "")                \
    X(TCTP, NONPRECNITE, Integer, 0, "")               \
    X(TCTP, ARGES, Integer, 0, "")                     \
    X(TCTP, ARNITE, Integer, 0, "")                    \
    X(TCTP, ARISGES, Truth, 1, "")                     \
    X(TCTP, VERTGES, Integer, 0, "")                   \
    X(TCTP, VERTNITE, Integer, 0, "")                  \
    X(TCTP, VERTISGES, Truth, 1, "")                   \
    X(TCTP, WINCHGES, Integer, 0, "")                  \
    X(TCTP, WINCHNITE, Integer, 0, "")                 \
    X(TCTP, WINCHISGES, Truth, 1, "")                  \
    X(TCTP, SEARCHGES, Integer, 0, "")                 \
    X(TCTP, SEARCHNITE, Integer, 0, "")                \
    X(TCTP, SEARCHISGES, Truth, 1, "")                 \
    X(TCTP, APPROACHGES, Integer, 0, "")               \
    X(TCTP, APPROACHNITE, Integer, 0, "")              \
    X(TCTP, APPRISGES, Truth, 1, "")                   \
    X(TCTP, EXTGES, Integer, 0, "")                    \
    X(TCTP, EXTNITE, Integer, 0, "")                   \
    X(TCTP, EXTISGES, Truth, 1, "")                    \
    X(TCTP, LANDGES, Integer, 0, "")                   \
    X(TCTP, LANDNITE, Integer, 0, "")                  \
    X(TCTP, LANDISGES, Truth, 1, "")                   \
    X(TCTP, GES1911, Time, 0, "")                      \
    X(TCTP, NITE1911, Time, 0, "")                     \
    X(TCTP, IFRISGES1911, Truth, 1, "")                \
    X(TCTP, SIM1911GES, Time, 0, "")                   \
    X(TCTP, SIM1911NITE, Time, 0, "")                  \
    X(TCTP, SIMISGES1911, Truth, 1, "")                \
    X(TCTP, PREC1911GES, Integer, 0, "")               \
    X(TCTP, PREC1911NITE, Integer, 0, "")              \
    X(TCTP, NONPREC1911GES, Integer, 0, "")            \
    X(TCTP, NONPREC1911NITE, Integer, 0, "")           \
    X(TCTP, NBSYMB, Text, 0, "")                       \
    X(TCTP, IFRNDIFF, Truth, 1, "")                    \
    X(TCTP, IFRNDIFF1911, Truth, 1, "")                \
    X(TCTP, SIMPROZ, Integer, 0, "")                   \
    X(TCTP, SIMTIME, Integer, 0, "")                   \
    X(TCTP, SIMPROZ1911, Integer, 0, "")               \
    X(TCTP, SIMTIME1911, Integer, 0, "")

// Each key as a constant, named as the file names it: setting::TCTP::GESVFR.
namespace setting {
#define VELMARSK_DECLARE_SETTING(SECTION, NAME, KIND, NUMBER, TEXT)                     \
    namespace SECTION {                                                                 \
    inline constexpr SettingKey NAME{#SECTION, #NAME, SettingKind::KIND, NUMBER, TEXT}; \
    }
VELMARSK_SETTING_KEYS(VELMARSK_DECLARE_SETTING)
#undef VELMARSK_DECLARE_SETTING
}  // namespace setting

// Every key of the file, in the order above.
std::span<const SettingKey* const> allSettingKeys();

// The key of this section and name, compared without regard to case as the file does; nullptr
// when the program knows no such key.
const SettingKey* findSettingKey(QStringView section, QStringView key);
// The same for an options control's "SECTION,KEY".
const SettingKey* findSettingKey(QStringView iniName);

}  // namespace velmarsk
