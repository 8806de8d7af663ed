#include "settings/settings.h"

#include "settings/initext.h"
#include "storage/savefile.h"

#include <QByteArrayView>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cctype>
#include <functional>
#include <limits>
#include <optional>

namespace velmarsk {

namespace {

constexpr const char* kCodec = "windows-1252";
constexpr qsizetype kMaxTextLength = 1023;

QString cannotWriteMessage(const QString& path) {
    return QStringLiteral("nach %1 kann nicht geschrieben werden").arg(QDir::toNativeSeparators(path));
}

QString cannotStoreMessage(const QString& text, const QString& path) {
    return QStringLiteral("'%1' kann in %2 nicht gespeichert werden")
        .arg(text, QDir::toNativeSeparators(path));
}

// The file's code page; nullopt when a character has no place in it, so nothing is silently replaced.
std::optional<QByteArray> encode(const QString& text) {
    QStringEncoder encoder(kCodec);
    const QByteArray bytes = encoder(text);
    if (!encoder.isValid() || encoder.hasError()) return std::nullopt;
    QStringDecoder decoder(kCodec);
    if (QString(decoder(bytes)) != text) return std::nullopt;
    return bytes;
}

QString decode(QByteArrayView bytes) {
    QStringDecoder decoder(kCodec);
    return decoder(bytes);
}

bool hasControlCharacter(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
    }
    return false;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A name that a read takes back as the same name: not empty, one line, no surrounding blanks, and
// without the characters that end a section name or a key.
bool isStorableName(QByteArrayView name, bool isSection) {
    if (name.isEmpty() || hasControlCharacter(name) || isBlank(name.front()) || isBlank(name.back())) {
        return false;
    }
    if (isSection) return !name.contains(']');
    return !name.contains('=') && name.front() != '[' && name.front() != ';' && name.front() != '#';
}

// A read takes the blanks around a value and one pair of surrounding quotes away, so such values
// are quoted.
QByteArray quoted(const QByteArray& value) {
    const bool needsQuotes =
        !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()) ||
                             (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')));
    if (!needsQuotes) return value;
    return QByteArray(1, '"').append(value).append('"');
}

QByteArrayView unquoted(QByteArrayView value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.sliced(1, value.size() - 2);
    return value;
}

// Decimal with an optional sign, or hexadecimal after 0x; anything else is no number.
std::optional<qint64> parseInteger(QByteArrayView raw) {
    const QByteArray text = raw.trimmed().toByteArray();
    bool ok = false;
    if (text.startsWith("0x") || text.startsWith("0X")) {
        const QByteArray digits = text.mid(2);
        if (digits.isEmpty()) return std::nullopt;
        for (const char c : digits) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        }
        const qulonglong value = digits.toULongLong(&ok, 16);
        if (!ok || value > static_cast<qulonglong>(std::numeric_limits<qint64>::max())) return std::nullopt;
        return static_cast<qint64>(value);
    }
    const qsizetype start = (text.startsWith('+') || text.startsWith('-')) ? 1 : 0;
    if (text.size() == start) return std::nullopt;
    for (qsizetype i = start; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    }
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// A colour is 32 bits that the file holds as a signed number, as Windows programs write it: a system
// colour (top bit set) stands negative. -2147483643 and 2147483653 name the same colour.
std::optional<quint32> colourBits(qint64 value) {
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return quint32(value);
}

}  // namespace

SettingsWriteError::SettingsWriteError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

QString SettingsWriteError::message() const {
    return m_message;
}

struct Settings::Impl {
    // One write. readsAs says whether a value in the file already reads as the written one: its
    // line then stays as it is ("0xFF" for 255, a quoted text, a truth written as 2).
    struct Edit {
        QByteArray section;
        QByteArray key;
        QByteArray value;
        std::function<bool(QByteArrayView)> readsAs;
    };

    QString path;
    // The file as last read or written.
    QByteArray fileBytes;
    // What reads see: the file with the writes of the open batches.
    IniText memory;
    // The writes of the open batches in order, and where each open batch's writes begin.
    QList<Edit> pending;
    QList<qsizetype> batchStarts;
    // A file that exists but cannot be read must not be replaced by the little we know of it.
    bool unreadable = false;

    static void apply(IniText& text, const Edit& edit) {
        const std::optional<QByteArray> current = text.value(edit.section, edit.key);
        if (current && edit.readsAs(*current)) return;
        text.set(edit.section, edit.key, edit.value);
    }

    void rebuildMemory() {
        memory = IniText(fileBytes);
        for (const Edit& edit : pending) apply(memory, edit);
    }

    std::optional<QByteArray> encodedName(const QString& name, bool isSection) const {
        std::optional<QByteArray> bytes = encode(name);
        if (!bytes || !isStorableName(*bytes, isSection)) return std::nullopt;
        return bytes;
    }

    // The value as it stands in the file, or nullopt when the file has none.
    std::optional<QByteArray> rawValue(const QString& section, const QString& key) const {
        const std::optional<QByteArray> sectionBytes = encodedName(section, true);
        const std::optional<QByteArray> keyBytes = encodedName(key, false);
        if (!sectionBytes || !keyBytes) return std::nullopt;
        return memory.value(*sectionBytes, *keyBytes);
    }

    void write(const QString& section, const QString& key, QByteArray value,
               std::function<bool(QByteArrayView)> readsAs) {
        const std::optional<QByteArray> sectionBytes = encodedName(section, true);
        if (!sectionBytes) throw SettingsWriteError(cannotStoreMessage(section, path));
        const std::optional<QByteArray> keyBytes = encodedName(key, false);
        if (!keyBytes) throw SettingsWriteError(cannotStoreMessage(key, path));
        if (unreadable) throw SettingsWriteError(cannotWriteMessage(path));

        pending.append(Edit{*sectionBytes, *keyBytes, std::move(value), std::move(readsAs)});
        if (batchStarts.isEmpty())
            commit();
        else
            apply(memory, pending.last());
    }

    // The pending writes to the file. The file is read again first, so that what another program
    // (or the pilot's editor) wrote since it was read stays; then only the written keys' lines
    // change. On failure memory returns to what the file held.
    void commit() {
        const QList<Edit> edits = std::exchange(pending, {});
        QByteArray current;
        QString reason;
        if (QFileInfo::exists(path) && !readWholeFile(path, &current, &reason)) {
            rebuildMemory();
            throw SettingsWriteError(cannotWriteMessage(path) +
                                     QStringLiteral(": die Datei ist nicht lesbar (%1)").arg(reason));
        }
        IniText text(current);
        for (const Edit& edit : edits) apply(text, edit);
        // The old file or the new one, never half of it: every write, flush and sync is checked.
        if (text.bytes() != current && !saveFileAtomically(path, text.bytes(), &reason)) {
            rebuildMemory();
            throw SettingsWriteError(cannotWriteMessage(path) + QStringLiteral(": ") + reason);
        }
        fileBytes = text.bytes();
        memory = std::move(text);
    }
};

Settings::Settings(const QString& filePath, QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    d->path = filePath;
    reload();
}

void Settings::reload() {
    d->unreadable = false;
    d->fileBytes.clear();
    // Read in part, the file would be written back without the rest at the next change.
    if (QFileInfo::exists(d->path)) d->unreadable = !readWholeFile(d->path, &d->fileBytes);
    if (d->unreadable) d->fileBytes.clear();
    d->rebuildMemory();
}

bool Settings::readable() const {
    return !d->unreadable;
}

Settings::~Settings() = default;

QString Settings::filePath() const {
    return d->path;
}

QString Settings::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    const std::optional<QByteArray> raw = d->rawValue(section, key);
    if (!raw) return defaultValue;
    return decode(unquoted(*raw)).left(kMaxTextLength);
}

qint64 Settings::readInteger(const QString& section, const QString& key, qint64 defaultValue) const {
    const std::optional<QByteArray> raw = d->rawValue(section, key);
    if (!raw) return defaultValue;
    return parseInteger(unquoted(*raw)).value_or(defaultValue);
}

bool Settings::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void Settings::writeString(const QString& section, const QString& key, const QString& value) {
    const std::optional<QByteArray> bytes = encode(value);
    // A line break would end the value early and a zero byte would cut it off.
    if (!bytes || bytes->contains('\n') || bytes->contains('\r') || bytes->contains('\0')) {
        throw SettingsWriteError(cannotStoreMessage(value, d->path));
    }
    d->write(section, key, quoted(*bytes),
             [value](QByteArrayView raw) { return decode(unquoted(raw)) == value; });
    emit changed(section, key);
}

void Settings::writeInteger(const QString& section, const QString& key, qint64 value) {
    d->write(section, key, QByteArray::number(value),
             [value](QByteArrayView raw) { return parseInteger(unquoted(raw)) == value; });
    emit changed(section, key);
}

void Settings::writeBool(const QString& section, const QString& key, bool value) {
    d->write(section, key, value ? QByteArrayLiteral("1") : QByteArrayLiteral("0"),
             [value](QByteArrayView raw) {
                 const std::optional<qint64> number = parseInteger(unquoted(raw));
                 return number && (*number != 0) == value;
             });
    emit changed(section, key);
}

QString Settings::text(const SettingKey& key) const {
    return readString(key.sectionName(), key.keyName(), key.textDefault());
}

qint64 Settings::integer(const SettingKey& key) const {
    return readInteger(key.sectionName(), key.keyName(), key.number);
}

std::optional<qint64> Settings::storedInteger(const SettingKey& key) const {
    const std::optional<QByteArray> raw = d->rawValue(key.sectionName(), key.keyName());
    return raw ? parseInteger(unquoted(*raw)) : std::nullopt;
}

bool Settings::truth(const SettingKey& key) const {
    return readBool(key.sectionName(), key.keyName(), key.number != 0);
}

void Settings::write(const SettingKey& key, const QString& value) {
    writeString(key.sectionName(), key.keyName(), value);
}

void Settings::write(const SettingKey& key, qint64 value) {
    const std::optional<quint32> colour = key.kind == SettingKind::Colour ? colourBits(value) : std::nullopt;
    if (!colour) {
        writeInteger(key.sectionName(), key.keyName(), value);
        return;
    }
    // Written signed; a file that names the same colour otherwise (in hexadecimal, or unsigned)
    // keeps its line.
    d->write(key.sectionName(), key.keyName(), QByteArray::number(qint32(*colour)),
             [colour](QByteArrayView raw) {
                 const std::optional<qint64> number = parseInteger(unquoted(raw));
                 return number && colourBits(*number) == colour;
             });
    emit changed(key.sectionName(), key.keyName());
}

void Settings::writeTruth(const SettingKey& key, bool value) {
    writeBool(key.sectionName(), key.keyName(), value);
}

void Settings::beginBatch() {
    d->batchStarts.append(d->pending.size());
}

void Settings::endBatch() {
    if (d->batchStarts.isEmpty()) return;
    d->batchStarts.removeLast();
    if (d->batchStarts.isEmpty()) d->commit();
}

void Settings::abandonBatch() {
    if (d->batchStarts.isEmpty()) return;
    d->pending.resize(d->batchStarts.takeLast());
    d->rebuildMemory();
}

}  // namespace velmarsk
