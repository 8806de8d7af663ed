#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace velmarsk {

// A text that the logbook's 8-bit files cannot hold (a character outside the code page, a line
// break in a short text). Raised where a typed text is converted for storage, so that it is never
// silently changed; the application shows message() like any other conversion error.
class TextStorageError : public std::exception {
public:
    explicit TextStorageError(const QString& text)
        : m_text(text),
          m_message(QStringLiteral("'%1' enthält Zeichen, die das Flugbuch nicht speichern kann").arg(text)),
          m_what(m_message.toUtf8()) {}

    QString text() const { return m_text; }
    QString message() const { return m_message; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QString m_message;
    QByteArray m_what;
};

}  // namespace velmarsk
