// The window program: settings and logbook opened before any window exists, the main window shown
// with the newest flight, and everything saved at the end.
#include "dialogs/guiinteraction.h"
#include "entry/tfmhaupt.h"
#include "settings/settings.h"
#include "startup.h"
#include "storage/datadir.h"
#include "storage/logbook.h"
#include "velmarskapplication.h"

#include <QDir>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

using namespace velmarsk;

int main(int argc, char** argv) {
    if (const auto answered = velmarsk::answerWithoutWindow(argc, argv)) return *answered;
    if (!velmarsk::displayAvailable()) {
        std::fputs(
            "velmarsk: Keine grafische Anzeige gefunden (DISPLAY ist nicht gesetzt).\n"
            "Starten Sie das Programm auf einem Desktop oder mit xvfb-run.\n",
            stderr);
        return 1;
    }
    VelmarskApplication app(argc, argv);
    return velmarsk::runProgram(app);
}
