#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace velmarsk {

// The file dialogs of the program. Tests queue the names the user would choose (an empty name is
// a cancel) and read what was asked, instead of driving a dialog.
class FileChooser {
public:
    enum class Mode { Open, Save };
    struct Request {
        Mode mode;
        QString title;
        QString directory;  // where the dialog starts
        QString fileName;   // the name it proposes
        QString filter;     // "Beschreibung (*.ext);;..."
        QString defaultSuffix;
    };

    // The chosen file with its full path, or empty when the user cancelled. A save dialog asks no
    // overwrite question: choosing an existing file is how flights are added to it.
    static QString choose(QWidget* parent, const Request& request);

    // Test hooks: while names are queued, no dialog is shown; every request is recorded.
    static void setNextFileNames(std::deque<QString> names);
    static std::vector<Request>& requests();
};

}  // namespace velmarsk
