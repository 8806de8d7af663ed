#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <cstring>
#include <optional>

namespace velmarsk {

// A flight's routing and comment in Flug.str: the tag "TOlm", the owning flight's Date and Atd
// (both 0 once the record is superseded) and the two 0-terminated texts.
struct StringRecord {
    static constexpr const char* kTag = "TOlm";
    // Offsets of the key within a record on disk: tag (4 characters and a 0 byte), Date, Atd.
    static constexpr int kDateOffset = 5;
    static constexpr int kHeaderSize = 9;

    QString Tag;
    std::uint16_t Date = 0;
    std::uint16_t Atd = 0;
    std::int32_t FilePos = 0;
    QString Routing;
    QString Comment;

    bool hasValidTag() const { return Tag == QLatin1String(kTag); }

    // Whether a whole record header with the tag and its 0 byte starts at pos of data; the key
    // then lies at pos + kDateOffset.
    static bool hasHeaderAt(QByteArrayView data, qsizetype pos) {
        return pos >= 0 && pos <= data.size() - kHeaderSize && std::memcmp(data.data() + pos, kTag, 5) == 0;
    }
    bool isLive() const { return Date != 0; }

    // The bytes on disk, or nullopt when a text holds a character the file cannot store or a 0.
    std::optional<QByteArray> toBytes() const;

    // Parses a record starting at data; texts and the record end at the end of data when their 0
    // byte is missing. Returns the number of bytes the record takes.
    static qsizetype parse(QByteArrayView data, StringRecord& out);

    // Where a record ends and what its header says, as parse() reads them, without decoding the
    // texts: for passes over the whole file that only need the records' bounds and keys.
    struct Frame {
        qsizetype size = 0;
        bool validTag = false;
        std::uint16_t Date = 0;
        std::uint16_t Atd = 0;
    };
    static Frame frame(QByteArrayView data);

    // Whether a text can be stored in a record (code page and no 0 character).
    static bool isStorableText(const QString& text);
    // The files keep line breaks of routing and comment as CR LF: a text from a text field or a
    // table with LF breaks as it is stored.
    static QString storedBreaks(QString text);
};

}  // namespace velmarsk
