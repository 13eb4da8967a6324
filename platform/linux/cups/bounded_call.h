#pragma once

#include "platform/linux/cups/scheduler_connection.h"
#include "platform/linux/posix/descriptor.h"

#include <cups/cups.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace kumoden {

// A call to the scheduler on a thread of its own, which may outlive the
// wait for it: libcups waits a second for each request's go-ahead, a wait
// that neither a bound nor a request to end can cut. The caller waits at
// most kSchedulerTimeout, and not at all once stopDescriptor (-1: none)
// becomes readable; nothing then.
template <typename Result, typename Call>
std::optional<Result> BoundedSchedulerCall(int stopDescriptor, Call call)
{
    using std::chrono::milliseconds;
    struct Pending {
        Descriptor done{eventfd(0, EFD_CLOEXEC)};
        std::mutex lock;
        std::optional<Result> result;
    };
    const auto pending = std::make_shared<Pending>();
    if (pending->done.get() < 0) {
        return call();
    }
    // libcups keeps the server to ask per thread.
    const std::string server = cupsServer();
    std::thread([pending, server, call] {
        cupsSetServer(server.c_str());
        Result result = call();
        const std::lock_guard guard(pending->lock);
        pending->result = std::move(result);
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(pending->done.get(), &one, sizeof one);
    }).detach();
    const auto deadline = std::chrono::steady_clock::now() + kSchedulerTimeout;
    for (;;) {
        const auto left = std::chrono::ceil<milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entries[2] = {{pending->done.get(), POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
        const int ready = poll(entries, stopDescriptor >= 0 ? 2 : 1,
                               static_cast<int>(std::max(left, milliseconds::zero()).count()));
        const std::lock_guard guard(pending->lock);
        if (pending->result || ready == 0 || (ready > 0 && entries[1].revents != 0)) {
            return std::move(pending->result);
        }
        if (ready < 0 && errno != EINTR) {
            return std::nullopt;
        }
    }
}

} // namespace kumoden
