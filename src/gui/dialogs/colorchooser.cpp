#include "dialogs/colorchooser.h"

#include "controls/colors.h"

#include <QColorDialog>

namespace velmarsk {
namespace {

std::deque<std::optional<quint32>> g_next;

}  // namespace

std::optional<quint32> ColorChooser::choose(QWidget* parent, quint32 current) {
    if (!g_next.empty()) {
        const std::optional<quint32> answer = g_next.front();
        g_next.pop_front();
        return answer;
    }
    const QColor chosen = QColorDialog::getColor(colorFromValue(current), parent);
    if (!chosen.isValid()) return std::nullopt;
    return valueFromColor(chosen);
}

void ColorChooser::setNextColors(std::deque<std::optional<quint32>> colors) {
    g_next = std::move(colors);
}

}  // namespace velmarsk
