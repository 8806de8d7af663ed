#include "exchange/csvreader.h"

#include "storage/fileerror.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace velmarsk {
namespace {

constexpr qint64 kChunk = 64 * 1024;
const QByteArray kBom("\xEF\xBB\xBF");
constexpr char kSeparators[3] = {';', '\t', ','};  // in this order when the header holds as many of each

// Whether bytes are UTF-8, fed in chunks: a sequence may run from one chunk into the next.
class Utf8Check {
public:
    bool feed(QByteArrayView bytes) {
        for (const char ch : bytes) {
            const auto b = static_cast<unsigned char>(ch);
            if (m_needed > 0) {
                if (b < m_low || b > m_high) return false;
                m_low = 0x80;
                m_high = 0xBF;
                --m_needed;
                continue;
            }
            if (b < 0x80) continue;
            // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
            if (b >= 0xC2 && b <= 0xDF) {
                m_needed = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                m_needed = 2;
                if (b == 0xE0) m_low = 0xA0;
                if (b == 0xED) m_high = 0x9F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                m_needed = 3;
                if (b == 0xF0) m_low = 0x90;
                if (b == 0xF4) m_high = 0x8F;
            } else {
                return false;
            }
        }
        return true;
    }
    bool complete() const { return m_needed == 0; }

private:
    int m_needed = 0;
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
};

}  // namespace

QString CsvReader::where() const {
    return QDir::toNativeSeparators(m_file.fileName());
}

bool CsvReader::open(const QString& path) {
    m_file.close();
    m_header.clear();
    m_problem.clear();
    m_buffer.clear();
    m_pos = 0;
    m_consumed = 0;
    m_readFailed = false;
    m_file.setFileName(path);
    const QFileInfo info(path);
    if (info.isDir()) {
        m_problem = QStringLiteral("%1 ist ein Ordner, keine CSV-Datei.").arg(where());
        return false;
    }
    if (info.exists() && !info.isFile()) {
        m_problem =
            QStringLiteral("%1 ist keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät).").arg(where());
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_problem =
            QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(where(), fileErrorText(m_file));
        return false;
    }
    m_size = m_file.size();

    // The encoding is the whole file's: one character beyond UTF-8 at its end makes it Windows-1252.
    Utf8Check utf8;
    bool isUtf8 = true;
    QByteArray start;
    for (;;) {
        const QByteArray chunk = m_file.read(kChunk);
        if (chunk.isEmpty()) break;
        if (start.isEmpty()) start = chunk;
        isUtf8 = utf8.feed(chunk);
        if (!isUtf8) break;
    }
    if (m_file.error() != QFileDevice::NoError) {
        m_problem =
            QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(where(), fileErrorText(m_file));
        return false;
    }
    if (start.isEmpty()) {
        m_problem = QStringLiteral("Die Datei %1 ist leer.").arg(where());
        return false;
    }
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        m_problem = QStringLiteral(
                        "Die Datei %1 ist in UTF-16 gespeichert. Bitte im Tabellenprogramm als CSV in UTF-8 "
                        "oder Windows-1252 speichern.")
                        .arg(where());
        return false;
    }
    // Text holds no 0 byte; a program, an image or an archive does within its first bytes.
    if (start.contains('\0')) {
        m_problem =
            QStringLiteral("Die Datei %1 ist keine CSV-Tabelle: sie enthält Binärdaten.").arg(where());
        return false;
    }
    m_encoding = isUtf8 && utf8.complete() ? Encoding::Utf8 : Encoding::Windows1252;
    const qint64 bodyStart = start.startsWith(kBom) ? kBom.size() : 0;

    // The header twice: once to count the separators it holds, once split by the one chosen.
    QList<QByteArray> raw;
    int line = 0;
    m_separator = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (!rewind(bodyStart)) return false;
        switch (readRecord(raw, line)) {
            case Record::Read:
                break;
            case Record::End:
                m_problem = QStringLiteral("Die Datei %1 ist leer.").arg(where());
                return false;
            case Record::ReadFailed:
                m_problem = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                                .arg(where(), fileErrorText(m_file));
                return false;
            case Record::Unterminated:
            case Record::TooLong:
                m_problem = QStringLiteral(
                                "Die Datei %1 ist keine CSV-Tabelle: ihre erste Zeile ist keine Kopfzeile.")
                                .arg(where());
                return false;
        }
        if (pass == 0) {
            const int* most = std::max_element(std::begin(m_separatorCounts), std::end(m_separatorCounts));
            m_separator = kSeparators[most - std::begin(m_separatorCounts)];
        }
    }
    for (const QByteArray& field : raw) m_header << decode(field);
    return true;
}

bool CsvReader::rewind(qint64 offset) {
    m_buffer.clear();
    m_pos = 0;
    m_line = 1;
    m_consumed = offset;
    if (m_file.seek(offset)) return true;
    m_problem =
        QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(where(), fileErrorText(m_file));
    return false;
}

bool CsvReader::fill() {
    m_buffer.resize(kChunk);
    const qint64 n = m_file.read(m_buffer.data(), kChunk);
    m_buffer.resize(std::max<qint64>(n, 0));
    m_pos = 0;
    if (n < 0) m_readFailed = true;
    return n > 0;
}

int CsvReader::get() {
    if (m_pos >= m_buffer.size() && !fill()) return -1;
    ++m_consumed;
    return static_cast<unsigned char>(m_buffer.at(m_pos++));
}

int CsvReader::peek() {
    if (m_pos >= m_buffer.size() && !fill()) return -1;
    return static_cast<unsigned char>(m_buffer.at(m_pos));
}

CsvReader::Record CsvReader::readRecord(QList<QByteArray>& fields, int& line) {
    fields.clear();
    std::fill(std::begin(m_separatorCounts), std::end(m_separatorCounts), 0);
    line = m_line;
    QByteArray field;
    bool inQuotes = false;
    bool fieldQuoted = false;
    qsizetype length = 0;
    int c = get();
    if (c < 0) return m_readFailed ? Record::ReadFailed : Record::End;
    for (;; c = get()) {
        if (c < 0) {
            if (m_readFailed) return Record::ReadFailed;
            if (inQuotes) return Record::Unterminated;
            fields << field;
            return Record::Read;
        }
        if (++length > kMaxRowBytes) return Record::TooLong;
        if (inQuotes) {
            if (c == '"') {
                if (peek() == '"') {
                    get();
                    field += '"';
                } else {
                    inQuotes = false;
                }
                continue;
            }
            if (c == '\n' || (c == '\r' && peek() != '\n')) ++m_line;
            field += char(c);
            continue;
        }
        if (c == '"' && field.isEmpty() && !fieldQuoted) {
            inQuotes = fieldQuoted = true;
        } else if (m_separator != 0 && c == m_separator) {
            fields << field;
            field.clear();
            fieldQuoted = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && peek() == '\n') get();
            ++m_line;
            fields << field;
            return Record::Read;
        } else {
            for (int k = 0; k < 3; ++k)
                if (c == kSeparators[k]) ++m_separatorCounts[k];
            field += char(c);  // a quote within an unquoted field stands for itself
        }
    }
}

QString CsvReader::decode(const QByteArray& bytes) const {
    return m_encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : cp1252::decode(bytes);
}

CsvReader::Status CsvReader::next(QStringList& fields, int& line) {
    QList<QByteArray> raw;
    for (;;) {
        switch (readRecord(raw, line)) {
            case Record::Read:
                break;
            case Record::End:
                return Status::End;
            case Record::ReadFailed:
                m_problem = QStringLiteral("Die Datei %1 kann ab Zeile %2 nicht gelesen werden: %3")
                                .arg(where())
                                .arg(line)
                                .arg(fileErrorText(m_file));
                return Status::Failed;
            case Record::Unterminated:
                m_problem =
                    QStringLiteral(
                        "Zeile %1: Ein Anführungszeichen wird bis zum Ende der Datei nicht geschlossen; "
                        "die Zeile wurde nicht gelesen.")
                        .arg(line);
                return Status::Failed;
            case Record::TooLong:
                m_problem =
                    QStringLiteral(
                        "Zeile %1: Die Zeile ist länger als %2 MB (steht ein Anführungszeichen zu viel?); "
                        "der Rest der Datei wurde nicht gelesen.")
                        .arg(line)
                        .arg(kMaxRowBytes >> 20);
                return Status::Failed;
        }
        // Spreadsheets save rows left empty as separators alone. Blank as the columns see it, after
        // decoding: a cell holding a no-break space is as empty as one holding nothing.
        fields.clear();
        for (const QByteArray& f : raw) fields << decode(f);
        if (std::all_of(fields.cbegin(), fields.cend(),
                        [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        return Status::Row;
    }
}

}  // namespace velmarsk
