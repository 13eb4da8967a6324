#include "platform/posix/system_clock.h"

#include "platform/posix/local_time.h"

#include <thread>

namespace kumoden {

LocalTime SystemClock::now() const
{
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    const auto rest = std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds);
    if (const auto local =
            ToLocalTime(static_cast<std::time_t>(seconds.count()), static_cast<long>(rest.count()))) {
        return *local;
    }
    return LocalTime{std::chrono::duration_cast<std::chrono::nanoseconds>(since)};
}

void ThreadSleeper::sleep(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

} // namespace kumoden
