#include "startup.h"

#include "dialogs/guiinteraction.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmexportflug.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/datadir.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "velmarskversion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstring>

namespace velmarsk {

QString programUsage() {
    return QStringLiteral(
        "Aufruf: velmarsk [--datadir ORDNER]\n"
        "       velmarsk --help | --version\n"
        "\n"
        "Velmarskverwaltung: das persönliche Flugbuch im Fenster.\n"
        "\n"
        "Optionen:\n"
        "  --datadir ORDNER       Ordner des Flugbuchs (sonst der Standardordner)\n"
        "  -h, --help             zeigt diese Hilfe\n"
        "  --version              zeigt die Version des Programms\n"
        "\n"
        "velmarsk-cli arbeitet auf denselben Dateien von der Befehlszeile aus.\n");
}

std::optional<int> answerWithoutWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        // The folder's name is no option, whatever it looks like.
        if (std::strcmp(a, "--datadir") == 0) {
            ++i;
            continue;
        }
        const bool help = std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0;
        if (!help && std::strcmp(a, "--version") != 0) continue;
        const QByteArray text = help ? programUsage().toUtf8()
                                     : QByteArray("velmarsk ") + QByteArray(kVersion) + QByteArray("\n");
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        return 0;
    }
    return std::nullopt;
}

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
    QApplication::setApplicationVersion(QLatin1String(kVersion));
    // No display name: the platform would add it to every dialog's caption, and narrow dialogs such
    // as the password question would show their own caption cut short. The main window carries the
    // program's title itself.
    installToolkitTranslations(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmarsk/velmarsk.png")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velmarskverwaltung: Flugbuch"));
    // --help and --version were answered before the application was made (answerWithoutWindow).
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dirOption(QStringLiteral("datadir"),
                                       QStringLiteral("Ordner des Flugbuchs (sonst der Standardordner)."),
                                       QStringLiteral("DIR"));
    parser.addOption(dirOption);
    parser.process(app);
    const QString dir = parser.isSet(dirOption) ? parser.value(dirOption) : DataDir::defaultForApplication();
    QString error;
    if (!DataDir::create(dir, &error)) {
        MessageBox::tell(nullptr, msg::fileError(),
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
