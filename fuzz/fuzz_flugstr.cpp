// Flug.str of a small logbook replaced by the fuzzer's bytes, then opened, read, checked and
// repaired as the program does; and the string records parsed one after another as the check does.
#include "fuzzlogbook.h"
#include "storage/logbook.h"
#include "storage/stringrecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmarsk;
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    for (qsizetype pos = 0; pos < file.size();) {
        StringRecord r;
        const qsizetype used = StringRecord::parse(QByteArrayView(file).sliced(pos), r);
        if (used < 0 || used > file.size() - pos) std::abort();
        // A record read back whole is written as the same bytes, so a compaction keeps it.
        if (r.hasValidTag() && used > StringRecord::kHeaderSize &&
            file.at(pos + used - 1) == '\0') {
            const auto again = r.toBytes();
            if (again && *again != file.mid(pos, used)) std::abort();
        }
        pos += used > 0 ? used : 1;
    }
    fuzz::FuzzLogbook::instance().run(QString::fromLatin1(Logbook::kStringFile), file, true);
    return 0;
}
