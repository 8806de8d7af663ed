#include "settings/settings.h"

#include "storage/savefile.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cctype>
#include <limits>
#include <optional>
#include <string>

// The packaged SimpleIni library is built with the ICU converter; declare the classes the same way.
#define SI_CONVERT_ICU
#include <SimpleIni.h>

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

// A name that the parser would read back as the same name: not empty, one line, no surrounding
// blanks, and without the characters that end a section name or a key.
bool isStorableName(QByteArrayView name, bool isSection) {
    if (name.isEmpty() || hasControlCharacter(name) || isBlank(name.front()) || isBlank(name.back())) {
        return false;
    }
    if (isSection) return !name.contains(']');
    return !name.contains('=') && name.front() != '[' && name.front() != ';' && name.front() != '#';
}

// The parser trims values and takes one pair of surrounding quotes away, so such values are quoted.
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

// Whether the parser takes this line as a section header or a key; other lines are comments,
// blank lines or lines it drops.
bool isEntryLine(QByteArrayView line) {
    const QByteArrayView text = line.trimmed();
    if (text.isEmpty() || text.front() == ';' || text.front() == '#') return false;
    if (text.front() == '[') return text.contains(']');
    const qsizetype equals = text.indexOf('=');
    return equals > 0;
}

// End of the last entry line, newline included; 0 when the file has no entry at all.
qsizetype endOfEntries(const QByteArray& bytes) {
    qsizetype end = 0;
    qsizetype lineStart = 0;
    while (lineStart < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', lineStart);
        const qsizetype lineEnd = newline < 0 ? bytes.size() : newline + 1;
        if (isEntryLine(QByteArrayView(bytes).sliced(lineStart, lineEnd - lineStart))) end = lineEnd;
        lineStart = lineEnd;
    }
    return end;
}

// What the parser is given: a 0 byte, at which it would stop, read as a blank; a lone carriage
// return, which ends a line for the parser, as a line feed, so that lines are the same for both; a
// line that is no entry and no comment (a lone "[", a text without "="), which could make it take
// the lines after it for a section name, as a comment. Every entry line reaches it unchanged.
QByteArray parserInput(QByteArray bytes) {
    bytes.replace('\0', ' ');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) bytes[i] = '\n';
    QByteArray out;
    out.reserve(bytes.size() + 16);
    qsizetype lineStart = 0;
    while (lineStart < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', lineStart);
        const qsizetype lineEnd = newline < 0 ? bytes.size() : newline + 1;
        const QByteArray line = bytes.mid(lineStart, lineEnd - lineStart);
        const QByteArray text = line.trimmed();
        if (!text.isEmpty() && text.front() != ';' && text.front() != '#' && !isEntryLine(line)) out += ';';
        out += line;
        lineStart = lineEnd;
    }
    return out;
}

}  // namespace

SettingsWriteError::SettingsWriteError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

QString SettingsWriteError::message() const {
    return m_message;
}

struct Settings::Impl {
    QString path;
    CSimpleIniA ini{false, false, false};
    // The parser keeps comments only in front of an entry. A file without entries is kept whole
    // in front of the entries written later; comments after the last entry are kept behind them.
    QByteArray head;
    QByteArray tail;
    // What the file holds, or held when it was opened: memory returns to it after a failed write.
    QByteArray fileBytes;
    // A file that exists but cannot be read must not be replaced by the little we know of it.
    bool unreadable = false;
    int batchDepth = 0;

    void load(const QByteArray& bytes) {
        ini.Reset();
        ini.SetSpaces(false);
        const qsizetype end = endOfEntries(bytes);
        if (end == 0) {
            head = bytes;
            tail.clear();
            return;
        }
        head.clear();
        tail = bytes.mid(end);
        const QByteArray entries = parserInput(bytes.left(end));
        ini.LoadData(entries.constData(), static_cast<size_t>(entries.size()));
    }

    QByteArray serialize() const {
        std::string body;
        ini.Save(body, true);
        QByteArray out = head;
        if (!out.isEmpty() && !out.endsWith('\n') && !body.empty()) out += '\n';
        out += QByteArrayView(body.data(), static_cast<qsizetype>(body.size()));
        out += tail;
        return out;
    }

    std::optional<QByteArray> encodedName(const QString& name, bool isSection) const {
        std::optional<QByteArray> bytes = encode(name);
        if (!bytes || !isStorableName(*bytes, isSection)) return std::nullopt;
        return bytes;
    }

    // The value as it stands in the file, or nullopt when the file has none.
    std::optional<QByteArrayView> rawValue(const QString& section, const QString& key) const {
        const std::optional<QByteArray> sectionBytes = encodedName(section, true);
        const std::optional<QByteArray> keyBytes = encodedName(key, false);
        if (!sectionBytes || !keyBytes) return std::nullopt;
        const char* value = ini.GetValue(sectionBytes->constData(), keyBytes->constData(), nullptr);
        if (value == nullptr) return std::nullopt;
        return QByteArrayView(value);
    }

    void write(const QString& section, const QString& key, const QByteArray& value) {
        const std::optional<QByteArray> sectionBytes = encodedName(section, true);
        if (!sectionBytes) throw SettingsWriteError(cannotStoreMessage(section, path));
        const std::optional<QByteArray> keyBytes = encodedName(key, false);
        if (!keyBytes) throw SettingsWriteError(cannotStoreMessage(key, path));
        if (unreadable) throw SettingsWriteError(cannotWriteMessage(path));

        if (ini.SetValue(sectionBytes->constData(), keyBytes->constData(), value.constData()) < 0) {
            load(fileBytes);
            throw SettingsWriteError(cannotWriteMessage(path));
        }
        if (batchDepth == 0) commit();
    }

    // Memory to the file; on failure memory returns to what the file holds.
    void commit() {
        const QByteArray bytes = serialize();
        QString reason;
        // The old file or the new one, never half of it: every write, flush and sync is checked.
        if (!saveFileAtomically(path, bytes, &reason)) {
            load(fileBytes);
            throw SettingsWriteError(cannotWriteMessage(path) + QStringLiteral(": ") + reason);
        }
        fileBytes = bytes;
    }
};

Settings::Settings(const QString& filePath, QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    d->path = filePath;
    reload();
}

void Settings::reload() {
    d->unreadable = false;
    d->fileBytes.clear();
    QFile file(d->path);
    // Read in part, the file would be written back without the rest at the next change.
    if (file.exists()) d->unreadable = !readWholeFile(d->path, &d->fileBytes);
    if (d->unreadable) d->fileBytes.clear();
    d->load(d->fileBytes);
}

Settings::~Settings() = default;

QString Settings::filePath() const {
    return d->path;
}

QString Settings::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    const std::optional<QByteArrayView> raw = d->rawValue(section, key);
    if (!raw) return defaultValue;
    return decode(unquoted(*raw)).left(kMaxTextLength);
}

qint64 Settings::readInteger(const QString& section, const QString& key, qint64 defaultValue) const {
    const std::optional<QByteArrayView> raw = d->rawValue(section, key);
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
    d->write(section, key, quoted(*bytes));
    emit changed(section, key);
}

void Settings::writeInteger(const QString& section, const QString& key, qint64 value) {
    d->write(section, key, QByteArray::number(value));
    emit changed(section, key);
}

void Settings::writeBool(const QString& section, const QString& key, bool value) {
    d->write(section, key, value ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
    emit changed(section, key);
}

QString Settings::text(const SettingKey& key) const {
    return readString(key.sectionName(), key.keyName(), key.textDefault());
}

qint64 Settings::integer(const SettingKey& key) const {
    return readInteger(key.sectionName(), key.keyName(), key.number);
}

bool Settings::truth(const SettingKey& key) const {
    return readBool(key.sectionName(), key.keyName(), key.number != 0);
}

void Settings::write(const SettingKey& key, const QString& value) {
    writeString(key.sectionName(), key.keyName(), value);
}

void Settings::write(const SettingKey& key, qint64 value) {
    writeInteger(key.sectionName(), key.keyName(), value);
}

void Settings::writeTruth(const SettingKey& key, bool value) {
    writeBool(key.sectionName(), key.keyName(), value);
}

void Settings::beginBatch() {
    ++d->batchDepth;
}

void Settings::endBatch() {
    if (d->batchDepth == 0 || --d->batchDepth > 0) return;
    d->commit();
}

void Settings::abandonBatch() {
    if (d->batchDepth == 0 || --d->batchDepth > 0) return;
    d->load(d->fileBytes);
}

}  // namespace velmarsk
