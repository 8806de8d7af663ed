#include "startup.h"

#include "dialogs/guiinteraction.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmexportflug.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/datadir.h"
#include "storage/logbook.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace velmarsk {

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool installToolkitTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runProgram(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("velmarsk"));
    // No display name: the platform would add it to every dialog's caption, and narrow dialogs such
    // as the password question would show their own caption cut short. The main window carries the
    // program's title itself.
    installToolkitTranslations(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmarsk/velmarsk.png")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velmarskverwaltung: Flugbuch"));
    parser.addHelpOption();
    const QCommandLineOption dirOption(QStringLiteral("datadir"),
                                       QStringLiteral("Ordner des Flugbuchs (sonst der Standardordner)."),
                                       QStringLiteral("DIR"));
    parser.addOption(dirOption);
    parser.process(app);
    const QString dir = parser.isSet(dirOption) ? parser.value(dirOption) : DataDir::defaultForApplication();
    QString error;
    if (!DataDir::create(dir, &error)) {
        MessageBox::tell(nullptr, QStringLiteral("Dateifehler"),
                         QStringLiteral("Der Ordner %1 kann nicht angelegt werden: %2")
                             .arg(QDir::toNativeSeparators(dir), error),
                         MessageBox::Icon::Error);
        return 1;
    }

    Settings settings(QDir(dir).filePath(QString::fromLatin1(Settings::kFileName)));
    GuiInteraction ui;
    Logbook logbook(dir, settings, ui);
    if (!logbook.Open()) return 1;

    int result = 0;
    {
        FlightBook book(logbook, settings);
        TFMHaupt main(book, ui);
        main.printerHolder();  // the program's printer exists from the start
        main.exportWindow();   // and the export window, which keeps the export folder of the run
        if (!main.endRequested()) {
            main.show();
            result = app.exec();
            main.shutDown();
            main.exportWindow()->saveExportDir();
        }
    }
    logbook.CloseLogbook();
    return result;
}

}  // namespace velmarsk
