#pragma once

#include <QMetaType>

namespace velmarsk {

// Whether a field belongs to the day part of a flight, the night part, both or neither. The entry
// rules read it; the controls only keep it.
enum TStatus { stNone, stDay, stNite, stDayNite };

}  // namespace velmarsk

Q_DECLARE_METATYPE(velmarsk::TStatus)
