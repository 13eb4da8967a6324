#pragma once

#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace kumoden::posix {

// What the identity of a file is made of; flags as statx takes them (a
// link is never followed).
inline bool StatOf(int folder, const char* path, int flags, struct statx& info)
{
    return statx(folder, path, flags | AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_INO | STATX_BTIME, &info) == 0;
}

inline FileIdentity IdentityOf(const struct statx& info)
{
    const std::uint64_t born =
        (info.stx_mask & STATX_BTIME)
            ? static_cast<std::uint64_t>(info.stx_btime.tv_sec) * 1'000'000'000u + info.stx_btime.tv_nsec
            : 0;
    return {static_cast<std::uint64_t>(makedev(info.stx_dev_major, info.stx_dev_minor)), info.stx_ino, born};
}

} // namespace kumoden::posix
