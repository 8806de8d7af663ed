// tarnoki.ini: every key of the table read from the fuzzer's file; then two keys written, and a
// new reader of the written file must see the new values and every other key unchanged.
#include "settings/settingkeys.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace velmarsk;

QString workTemplate() {
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QDir(shm).exists() ? shm : QDir::tempPath();
    return QDir(base).filePath(QStringLiteral("velmarsk-fuzz-XXXXXX"));
}

QStringList allValues(const Settings& s) {
    QStringList values;
    for (const SettingKey* key : allSettingKeys())
        values << (key->kind == SettingKind::Text ? s.text(*key) : QString::number(s.integer(*key)));
    return values;
}

[[noreturn]] void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir work(workTemplate());
    const QString path = work.filePath(QString::fromLatin1(Settings::kFileName));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail("cannot write", path);
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QStringList expected;
    {
        Settings settings(path);
        expected = allValues(settings);
        try {
            settings.write(setting::USER::NAME, QStringLiteral("Müller-Lüdenscheidt"));
            settings.writeTruth(setting::MISC::ORDNEN, true);
        } catch (const SettingsWriteError&) {
            return 0;  // refused, and the file stays as it was
        }
    }
    const auto keys = allSettingKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == &setting::USER::NAME) expected[qsizetype(i)] = QStringLiteral("Müller-Lüdenscheidt");
        if (keys[i] == &setting::MISC::ORDNEN) expected[qsizetype(i)] = QStringLiteral("1");
    }
    const Settings reread(path);
    const QStringList actual = allValues(reread);
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (actual[qsizetype(i)] != expected[qsizetype(i)])
            fail("a key changed on writing another", keys[i]->iniName() + QStringLiteral(": ") +
                                                         expected[qsizetype(i)] + QStringLiteral(" -> ") +
                                                         actual[qsizetype(i)]);
    return 0;
}
