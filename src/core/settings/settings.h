#pragma once

#include "settings/settingkeys.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
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

// The INI settings file "tarnoki.ini", read as the Windows profile functions read it (see IniText:
// names without regard to case, the first of two keys or sections counts). Every read names its
// default. Every write reads the file again, changes the key's line only (or adds one) and replaces
// the file at once: what another program or the pilot's editor wrote meanwhile stays, and every
// other byte of the file as well.
class Settings : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kFileName = "tarnoki.ini";

    explicit Settings(const QString& filePath, QObject* parent = nullptr);
    ~Settings() override;
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    QString filePath() const;

    // Reads the file again: what another program wrote since this one read it. The logbook does
    // this once it holds the folder's lock, so that no update of another program is lost.
    void reload();
    // False when the file is there but could not be read: nothing is written over it then.
    bool readable() const;

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    qint64 readInteger(const QString& section, const QString& key, qint64 defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Each throws SettingsWriteError when the file cannot be written.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint64 value);
    void writeBool(const QString& section, const QString& key, bool value);

    // A key of the table, read with its own default and written as its kind says.
    QString text(const SettingKey& key) const;
    qint64 integer(const SettingKey& key) const;
    bool truth(const SettingKey& key) const;
    // A number the file holds for the key; nullopt when it holds none.
    std::optional<qint64> storedInteger(const SettingKey& key) const;
    void write(const SettingKey& key, const QString& value);
    void write(const SettingKey& key, qint64 value);
    void writeTruth(const SettingKey& key, bool value);

signals:
    // After every write: the key as the writer named it.
    void changed(const QString& section, const QString& key);

private:
    // Batches are opened through SettingsBatch, which closes them on every way out of its scope.
    friend class SettingsBatch;
    // While a batch is open, writes change memory only; the file is written once, when the last
    // batch closes. endBatch throws as a write does.
    void beginBatch();
    void endBatch();
    // Closes a batch without writing its writes, returning memory to what the file holds.
    void abandonBatch();

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace velmarsk
