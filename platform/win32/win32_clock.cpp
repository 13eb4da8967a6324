#include "platform/win32/win32_clock.h"

#include "platform/win32/file_time.h"

#include <windows.h>

#include <algorithm>

namespace kumoden {

LocalTime Win32Clock::now() const
{
    FILETIME utc{};
    GetSystemTimePreciseAsFileTime(&utc);
    if (const auto local = FileTimeToLocal(utc)) {
        return *local;
    }
    // Only a clock set beyond the year 2262 gets here.
    return LocalTime::max();
}

void Win32Sleeper::sleep(std::chrono::milliseconds duration)
{
    // Sleep takes a DWORD in which all bits set mean "for ever": long
    // waits go in steps below that.
    constexpr std::chrono::milliseconds step{0x7FFFFFFF};
    while (duration > std::chrono::milliseconds::zero()) {
        const auto now = std::min(duration, step);
        Sleep(static_cast<DWORD>(now.count()));
        duration -= now;
    }
}

} // namespace kumoden
