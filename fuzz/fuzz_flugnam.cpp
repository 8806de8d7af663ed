// Flug.nam: loaded alone (every line keeps its number), then put into a small logbook that is
// opened, read, checked and repaired as the program does.
#include "fuzzlogbook.h"
#include "storage/logbook.h"
#include "storage/nametable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmarsk;
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    NameTable names;
    names.load(file);
    for (int i = 0; i < names.NameCount(); ++i) {
        // The first line holding a text is the one a new flight refers to.
        const QString text = names.NameAt(NameRef(i));
        if (NameTable::trimmedName(text) != text || !NameTable::isStorableName(text)) continue;
        const NameRef ref = names.NameIndexOf(text);
        if (ref < 0 || ref > i || names.NameAt(ref) != text) std::abort();
    }
    (void)names.NameAt(NameRef(-1));
    (void)names.NameAt(NameRef(names.NameCount()));
    fuzz::FuzzLogbook::instance().run(QString::fromLatin1(Logbook::kNamesFile), file, true);
    return 0;
}
