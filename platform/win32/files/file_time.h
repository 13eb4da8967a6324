#pragma once

#include "platform/clock.h"

#include <windows.h>

#include <optional>

namespace kumoden {

// A moment as Windows stores it (100 ns steps since 1601, UTC) on the local
// clock, by the zone's rules for that date (a summer date gets summer
// time even in winter). Nothing when the moment lies outside what
// LocalTime holds.
std::optional<LocalTime> FileTimeToLocal(const FILETIME& utc);

// Whether the file system left the time unset.
inline bool IsUnset(const FILETIME& time)
{
    return time.dwLowDateTime == 0 && time.dwHighDateTime == 0;
}

} // namespace kumoden
