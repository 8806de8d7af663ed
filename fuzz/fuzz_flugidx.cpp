// Flug.idx in either layout: parsed alone (an index read whole is written and read back alike),
// then put into a small logbook that is opened, read, checked and repaired as the program does.
#include "fuzzlogbook.h"
#include "storage/flightindex.h"
#include "storage/logbook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmarsk;
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    FlightIndex index;
    if (index.parse(file) == FlightIndex::ParseResult::Ok) {
        FlightIndex again;
        if (again.parse(index.serialize()) != FlightIndex::ParseResult::Ok ||
            again.entries() != index.entries())
            std::abort();
        for (int p = 0; p <= index.FlightCount(); ++p) {
            (void)index.RecNoAt(p);
            (void)index.StrPosAt(p);
        }
    } else if (index.FlightCount() != 0) {
        std::abort();  // a refused file leaves the index empty
    }
    fuzz::FuzzLogbook::instance().run(QString::fromLatin1(Logbook::kIndexFile), file, true);
    return 0;
}
