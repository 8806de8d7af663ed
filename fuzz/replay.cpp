// Runs a fuzz target over inputs without the fuzzer, so that a plain build can replay the committed
// corpus: every file of the folders given (in name order) and every file given, each once through
// LLVMFuzzerTestOneInput. A finding aborts as under the fuzzer; the input's name is printed before
// it runs, so the one that failed is known. No input at all is a failure too: a replay that runs
// nothing proves nothing.
//   fuzz_replay_TARGET FOLDER|FILE...
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        if (!QFileInfo(arg).isDir()) {
            inputs << arg;
            continue;
        }
        const QDir dir(arg);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            inputs << dir.filePath(name);
    }
    if (inputs.isEmpty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    for (const QString& path : inputs) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray data = f.readAll();
        std::fprintf(stderr, "%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(data.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(data.constData()),
                               std::size_t(data.size()));
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(inputs.size()));
    return 0;
}
