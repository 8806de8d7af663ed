// Flug.str of a small logbook replaced by the fuzzer's bytes, then opened, read, checked and
// repaired as the program does; and the string records parsed one after another as the check does.
#include "fuzzlogbook.h"
#include "storage/logbook.h"
#include "storage/stringrecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmarsk;
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    for (qsizetype pos = 0; pos < file.size();) {
        StringRecord r;
        const qsizetype used = StringRecord::parse(QByteArrayView(file).sliced(pos), r);
        if (used < 0 || used > file.size() - pos) std::abort();
        // A record read back whole is written as the same bytes, so a compaction keeps it.
        const QByteArrayView record = QByteArrayView(file).sliced(pos, used);
        if (record.startsWith(QByteArrayView("TOlm\0", 5)) && record.size() > StringRecord::kHeaderSize &&
            record.sliced(StringRecord::kHeaderSize).count('\0') == 2) {
            const auto again = r.toBytes();
            if (again && *again != file.mid(pos, used)) {
                std::fprintf(stderr, "record at %lld written back as\n%s\ninstead of\n%s\n", qint64(pos),
                             again->toHex(' ').constData(), file.mid(pos, used).toHex(' ').constData());
                std::abort();
            }
        }
        pos += used > 0 ? used : 1;
    }
    fuzz::FuzzLogbook::instance().run(QString::fromLatin1(Logbook::kStringFile), file, true);
    return 0;
}
