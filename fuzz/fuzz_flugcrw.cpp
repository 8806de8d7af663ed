// Flug.crw: loaded into the sorted crew list, which written and loaded again stays the same; then
// put into a small logbook that is opened and read.
#include "fuzzlogbook.h"
#include "storage/crewlist.h"
#include "storage/logbook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmarsk;
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    CrewList crew;
    crew.load(file);
    for (const QString& name : crew.names())
        if (!crew.contains(name) || crew.add(name)) std::abort();
    CrewList again;
    again.load(crew.serialize());
    if (again.names() != crew.names()) std::abort();
    fuzz::FuzzLogbook::instance().run(QString::fromLatin1(Logbook::kCrewFile), file, false);
    return 0;
}
