#include "platform/linux/posix/system_clock.h"

#include "platform/linux/posix/local_time.h"

#include <algorithm>
#include <climits>
#include <poll.h>
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
    if (m_stopDescriptor < 0) {
        if (!m_stopped) {
            std::this_thread::sleep_for(duration);
        }
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (!m_stopped) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            return;
        }
        if (stopWithin(left)) {
            m_stopped = true;
        }
    }
}

bool ThreadSleeper::stopRequested()
{
    if (!m_stopped && m_stopDescriptor >= 0 && stopWithin(std::chrono::milliseconds::zero())) {
        m_stopped = true;
    }
    return m_stopped;
}

bool ThreadSleeper::stopWithin(std::chrono::milliseconds duration)
{
    // The byte stays for the event loop to read: the quit comes from there.
    pollfd entry{m_stopDescriptor, POLLIN, 0};
    const auto timeout = std::min<std::chrono::milliseconds::rep>(duration.count(), INT_MAX);
    return poll(&entry, 1, static_cast<int>(timeout)) > 0 && (entry.revents & POLLIN) != 0;
}

} // namespace kumoden
