#pragma once

#include <QString>
#include <memory>
#include <stdexcept>

namespace velmarsk {

// Raised when the settings file cannot be written; the message is the one shown to the user.
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const QString& message);
    QString message() const;

private:
    QString m_message;
};

// The INI settings file "tarnoki.ini". Every read names its default; every write replaces the whole
// file at once, so the file on disk always holds what the program last wrote. Section and key names
// are compared without regard to case; content the program does not know is kept.
class Settings {
public:
    static constexpr const char* kFileName = "tarnoki.ini";

    explicit Settings(const QString& filePath);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    QString filePath() const;

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    qint64 readInteger(const QString& section, const QString& key, qint64 defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Each throws SettingsWriteError when the file cannot be written.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint64 value);
    void writeBool(const QString& section, const QString& key, bool value);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace velmarsk
