#include "platform/win32/files/file_time.h"

#include <cstdint>
#include <limits>

namespace kumoden {
namespace {

using std::chrono::nanoseconds;

// 1970-01-01 in 100 ns steps since 1601-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000;

nanoseconds sinceEpoch(const SYSTEMTIME& parts)
{
    using namespace std::chrono;
    const sys_days date{year{parts.wYear} / month{parts.wMonth} / day{parts.wDay}};
    return date.time_since_epoch() + hours{parts.wHour} + minutes{parts.wMinute} + seconds{parts.wSecond} +
           milliseconds{parts.wMilliseconds};
}

} // namespace

std::optional<LocalTime> FileTimeToLocal(const FILETIME& utc)
{
    const auto ticks =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime);
    const std::int64_t fromEpoch = ticks - kUnixEpochTicks;
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 100;
    if (ticks < 0 || fromEpoch > limit || fromEpoch < -limit) {
        return std::nullopt;
    }
    SYSTEMTIME utcParts{};
    SYSTEMTIME localParts{};
    if (!FileTimeToSystemTime(&utc, &utcParts) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts)) {
        return std::nullopt;
    }
    // The calendar parts carry milliseconds only; the zone's offset taken
    // from them is applied to the full 100 ns moment.
    const nanoseconds offset = sinceEpoch(localParts) - sinceEpoch(utcParts);
    return LocalTime{nanoseconds{fromEpoch * 100} + offset};
}

} // namespace kumoden
