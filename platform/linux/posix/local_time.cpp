#include "platform/linux/posix/local_time.h"

namespace kumoden {

std::optional<LocalTime> ToLocalTime(std::time_t seconds, long nanoseconds)
{
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    // The zone's offset at that moment turns the moment into wall-clock time.
    const auto wall = std::chrono::seconds{seconds + local.tm_gmtoff} + std::chrono::nanoseconds{nanoseconds};
    return LocalTime{wall};
}

} // namespace kumoden
