#pragma once

#include <QString>
#include <deque>
#include <optional>

class QWidget;

namespace velmarsk {

// The colour dialog of the program, so that tests can choose a colour in advance instead of
// clicking in the dialog.
class ColorChooser {
public:
    // The chosen colour as 0x00BBGGRR, or nullopt when the user cancelled.
    static std::optional<quint32> choose(QWidget* parent, quint32 current);

    // Test hook: while answers are queued, no dialog is shown; nullopt answers as a cancel.
    static void setNextColors(std::deque<std::optional<quint32>> colors);
};

}  // namespace velmarsk
