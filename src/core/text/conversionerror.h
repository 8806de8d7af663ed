#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace velmarsk {

// A typed text that cannot become what it stands for. Raised where the text is converted; the
// command stops there and the application shows message() once for the whole program.
class ConversionError : public std::exception {
public:
    ConversionError(const QString& text, const QString& message)
        : m_text(text), m_message(message), m_what(message.toUtf8()) {}

    QString text() const { return m_text; }
    QString message() const { return m_message; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QString m_message;
    QByteArray m_what;
};

}  // namespace velmarsk
