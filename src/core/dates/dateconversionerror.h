#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace velmarsk {

// A text that is no date. Raised where a typed or stored date text is converted; the commands let
// it pass, and the application shows message() once for the whole program.
class DateConversionError : public std::exception {
public:
    explicit DateConversionError(const QString& text)
        : m_text(text),
          m_message(QStringLiteral("'%1' ist kein g\u00fcltiges Datum").arg(text)),
          m_what(m_message.toUtf8()) {}

    // The text that could not be read as a date.
    QString text() const { return m_text; }
    // The German message for the user.
    QString message() const { return m_message; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QString m_message;
    QByteArray m_what;
};

}  // namespace velmarsk
