#pragma once

// What the targets that import a file into the small logbook share: a failure report that carries
// what the logbook told the user, an interaction that records it, and the work folder each run
// fills afresh.
#include "fuzzlogbook.h"
#include "settings/settings.h"
#include "storage/interaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace velmarsk::fuzz {

// What the logbook told the user during the current run.
inline QStringList& told() {
    static QStringList messages;
    return messages;
}

[[noreturn]] inline void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "%s\n%s\n%s\n", what, qPrintable(detail),
                 qPrintable(told().join(QLatin1Char('\n'))));
    std::abort();
}

inline void require(bool holds, const char* what, const QString& detail = {}) {
    if (!holds) fail(what, detail);
}

// Keeps what the logbook says; no question is expected of a whole logbook, and none is agreed to.
class RecordingInteraction final : public Interaction {
public:
    Answer ask(const QString&, const QString& text, Icon, Buttons buttons) override {
        told() << text;
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }
};

// The running total the receiving logbook starts each run with.
inline constexpr qint32 kStartTotal = 500000;

inline std::uint32_t keyOf(std::uint16_t date, std::uint16_t atd) {
    return (std::uint32_t(date) << 16) | atd;
}

// In memory where the system offers it: every run writes a whole logbook.
inline QTemporaryDir& work() {
    static QTemporaryDir dir([] {
        const QString shm = QStringLiteral("/dev/shm");
        const QString base = QDir(shm).exists() ? shm : QDir::tempPath();
        return QDir(base).filePath(QStringLiteral("velmarsk-fuzzimport-XXXXXX"));
    }());
    if (!dir.isValid()) fail("no work folder");
    return dir;
}

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size(),
            "cannot write", path);
}

// The receiving logbook afresh, and the file to import beside it under `name`; returns its path.
inline QString resetWorkFolder(const QString& name, const QByteArray& content) {
    QDir dir(work().path());
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
    // No dated copies at closing: they would only slow every run down.
    writeFile(dir.filePath(QString::fromLatin1(Settings::kFileName)),
              QByteArray("[MISC]\r\nSICHERUNGEN=0\r\n[USER]\r\nGESAMTSTUNDEN=") +
                  QByteArray::number(kStartTotal) + "\r\n");
    const auto& base = FuzzLogbook::instance().base();
    for (auto it = base.cbegin(); it != base.cend(); ++it) writeFile(dir.filePath(it.key()), it.value());
    const QString path = dir.filePath(name);
    writeFile(path, content);
    return path;
}

}  // namespace velmarsk::fuzz
