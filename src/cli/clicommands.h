#pragma once

#include "cliinteraction.h"
#include "commandline.h"
#include "storage/flightdraft.h"

#include <QJsonObject>
#include <QList>
#include <memory>
#include <optional>

namespace velmarsk {

class FlightBook;
class Logbook;
class Settings;

// The commands of velmarsk-cli over one logbook folder. Each returns the exit status.
class CliCommands {
public:
    enum Exit { kOk = 0, kError = 1, kUsage = 2, kRefused = 3 };

    explicit CliCommands(const Invocation& invocation);
    ~CliCommands();
    CliCommands(const CliCommands&) = delete;
    CliCommands& operator=(const CliCommands&) = delete;

    int run();

    // Standard output, and the date and time forms of the listings.
    static void print(const QString& text);
    static QString dateText(std::uint16_t day);
    static QString timeText(int minutes);

private:
    int create();
    int list();
    int show();
    int add();
    int change();
    int remove();
    int rebuildIndex();
    int sort();
    int check();
    int generate();
    int totals();
    int runningTotal();
    int search();
    int exportFlight();
    int importFlights();
    int csv();
    int chartData();
    int backups();
    int restoreBackup();

    // Opens the logbook as the program's start does and applies the password's guards to the
    // command; false after the reason has been reported.
    bool open();
    // The opening alone, for restore, which tells a logbook that does not open from a refusal.
    bool openFiles();
    // The guards of this command, as the flight-book service rules them: false after the reason
    // has been reported (a wrong --password, or none where the logbook needs one).
    bool passwordAllowsCommand() const;
    // Whether the logbook's guards are open: it has no password, or --password gave the right one.
    bool unlocked() const;
    // Whether a flight's comment may be shown, or the flight changed or exported; false after the
    // reason has been reported.
    bool commentAllowed(const FlightRecord& record) const;
    bool hasLogbookFiles() const;
    void noteTotalNotWritten() const;
    void reportNoLogbook() const;
    // The position argument: nullopt with *exit set when it is no number or no flight.
    std::optional<int> positionArgument(const QString& text, int* exit) const;
    bool checkPosition(int position) const;
    // The flights of the input source (a file, or standard input for "-" or none).
    std::optional<QList<FlightDraft>> readFlights(const QString& source, bool single) const;
    QString describe(const FlightRecord& record) const;

    Invocation m_inv;
    QString m_dir;
    CliInteraction m_ui;
    bool m_rebuildOnOpen = false;  // rebuild-index: the index is made anew while opening
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Logbook> m_logbook;
    std::unique_ptr<FlightBook> m_book;
};

}  // namespace velmarsk
