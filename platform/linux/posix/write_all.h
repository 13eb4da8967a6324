#pragma once

#include <cerrno>
#include <string_view>
#include <unistd.h>

namespace kumoden {

// Writes all of data to the open file (not synced), again where a signal
// cut a write short. False with errno set when some could not be written.
inline bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno != EINTR) {
            return false;
        }
        if (put > 0) {
            data.remove_prefix(static_cast<std::size_t>(put));
        }
    }
    return true;
}

} // namespace kumoden
