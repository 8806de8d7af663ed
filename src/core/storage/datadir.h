#pragma once

#include <QString>

namespace velmarsk {

// The folder of the logbook files and the settings. A portable installation (the settings file or
// Flug.dat beside the program file, as on a USB stick) keeps its data there; otherwise the data lie
// in the user's application data folder.
class DataDir {
public:
    // programDir: the folder of the program file (QCoreApplication::applicationDirPath()).
    static QString defaultFor(const QString& programDir);
    // The same for the running program; needs the application object and its applicationName.
    static QString defaultForApplication();
    static bool isPortable(const QString& programDir);
    // Creates the folder and its parents when missing; false with the reason in error otherwise.
    static bool create(const QString& dir, QString* error = nullptr);
};

}  // namespace velmarsk
