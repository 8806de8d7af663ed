#include "controls/colors.h"

#include <QGuiApplication>
#include <array>

namespace velmarsk {

namespace {

struct SystemColor {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr QPalette::ColorGroup A = QPalette::Active;
constexpr QPalette::ColorGroup D = QPalette::Disabled;

// Indexed by the number of the system colour; see colors.h.
constexpr std::array<SystemColor, 30> kSystemColors{{
    {A, QPalette::Button},           // 0 scroll bar
    {A, QPalette::Dark},             // 1 desktop background
    {A, QPalette::Highlight},        // 2 active caption
    {A, QPalette::Mid},              // 3 inactive caption
    {A, QPalette::Window},           // 4 menu
    {A, QPalette::Base},             // 5 window
    {A, QPalette::Shadow},           // 6 window frame
    {A, QPalette::WindowText},       // 7 menu text
    {A, QPalette::Text},             // 8 window text
    {A, QPalette::HighlightedText},  // 9 caption text
    {A, QPalette::Window},           // 10 active border
    {A, QPalette::Window},           // 11 inactive border
    {A, QPalette::Mid},              // 12 application workspace
    {A, QPalette::Highlight},        // 13 highlight
    {A, QPalette::HighlightedText},  // 14 highlighted text
    {A, QPalette::Button},           // 15 button face
    {A, QPalette::Dark},             // 16 button shadow
    {D, QPalette::Text},             // 17 grey text
    {A, QPalette::ButtonText},       // 18 button text
    {D, QPalette::WindowText},       // 19 inactive caption text
    {A, QPalette::Light},            // 20 button highlight
    {A, QPalette::Shadow},           // 21 3D dark shadow
    {A, QPalette::Midlight},         // 22 3D light
    {A, QPalette::ToolTipText},      // 23 tool tip text
    {A, QPalette::ToolTipBase},      // 24 tool tip background
    {A, QPalette::Link},             // 25 hot-tracked item
    {A, QPalette::Highlight},        // 26 active caption gradient
    {A, QPalette::Mid},              // 27 inactive caption gradient
    {A, QPalette::Highlight},        // 28 menu highlight
    {A, QPalette::Window},           // 29 menu bar
}};

}  // namespace

QColor colorFromValue(quint32 value, const QPalette& palette) {
    if (value & kSystemColorFlag) {
        const quint32 index = value & 0xFFu;
        if (index >= kSystemColors.size() || (value & 0x7FFFFF00u) != 0) {
            return palette.color(QPalette::Active, QPalette::Window);
        }
        const SystemColor& sys = kSystemColors.at(index);
        return palette.color(sys.group, sys.role);
    }
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

QColor colorFromValue(quint32 value) {
    return colorFromValue(value, QGuiApplication::palette());
}

quint32 valueFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<quint32>(rgb.red()) | (static_cast<quint32>(rgb.green()) << 8) |
           (static_cast<quint32>(rgb.blue()) << 16);
}

}  // namespace velmarsk
