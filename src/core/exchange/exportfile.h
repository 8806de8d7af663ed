#pragma once

#include "storage/flightrecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <vector>

namespace velmarsk {

class FlightPass;
class NameTable;

// The file that carries flights from one logbook to another ("Tarnoki.exp"): a 42-byte header, then
// flight entries back to back, each the 112 record bytes followed by 21 texts ending in a 0 byte:
// aircraft, callsign, registration, duty and name of crew slots 1 to 8, routing and comment. The
// name fields of the record still hold the exporting logbook's numbers; the texts are what counts.
class ExportFile {
public:
    static constexpr const char* kDefaultName = "Tarnoki.exp";
    static constexpr int kHeaderSize = 42;
    static constexpr int kVersion = 100;  // "1,00"
    static constexpr int kNameTexts = 19;
    static constexpr int kTexts = kNameTexts + 2;

    using NameRefs = std::array<NameRef, kNameTexts>;

    static QByteArray header();
    // Whether a file starting with these bytes is an export file of the version this program writes.
    static bool isExportHeader(QByteArrayView start);

    // The record's name fields in the order of their texts in an entry, and back.
    static NameRefs nameRefs(const FlightRecord& r);
    static void setNameRefs(FlightRecord& r, const NameRefs& refs);

    enum class Result { Ok, OpenFailed, UnknownHeader, WriteFailed };
    // Appends entries (built by EntryWriter) to the file at path, creating it with its header when it
    // does not exist. Nothing is written to a file with another header; a failed write leaves the
    // file as it was. reason receives the system's text of an open or write failure.
    static Result append(const QString& path, const QByteArray& entries, QString* reason = nullptr);
    // The message for a result other than Ok.
    static QString message(Result result, const QString& path, const QString& reason);
};

// Builds flight entries: the names table's texts are encoded once, so a whole logbook goes out
// without converting a name per flight.
class EntryWriter {
public:
    explicit EntryWriter(const NameTable& names);

    // routing and comment as Flug.str holds them: a protected comment stays scrambled.
    void add(const FlightRecord& r, QByteArrayView routing, QByteArrayView comment);
    // The flights at positions first..last of a pass. False with the position of the first flight
    // whose record or texts cannot be read (nothing of it is added then); false too when the pass
    // failed to read its files on the way (the user has been told).
    bool addFromPass(const FlightPass& pass, int first, int last, int* failedPosition = nullptr);

    const QByteArray& bytes() const { return m_out; }
    int count() const { return m_count; }

private:
    std::vector<QByteArray> m_names;
    QByteArray m_out;
    int m_count = 0;
};

}  // namespace velmarsk
