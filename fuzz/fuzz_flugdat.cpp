// Flug.dat of a small logbook replaced by the fuzzer's bytes (a header of any layout and its
// records), then opened, upgraded, read, checked and repaired as the program does.
#include "fuzzlogbook.h"
#include "storage/logbook.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velmarsk::fuzz::FuzzLogbook;
    FuzzLogbook::instance().run(QString::fromLatin1(velmarsk::Logbook::kDataFile),
                                QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), true);
    return 0;
}
