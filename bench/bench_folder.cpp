#include "bench/bench_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace kumoden::bench {

BenchFolder::BenchFolder(const std::string& tag)
    : m_path(std::filesystem::temp_directory_path() /
             ("kumoden-bench-" + tag + "-" + std::to_string(getpid())))
{
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

BenchFolder::~BenchFolder()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

void BenchFolder::fill(const std::string& sub, int count, const std::string& prefix,
                       const std::string& extension) const
{
    const auto folder = m_path / sub;
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const auto file = folder / (prefix + std::to_string(i) + extension);
        const int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) {
            close(fd);
        }
    }
}

long long BareReaddirStatx(const std::filesystem::path& folder)
{
    DIR* dir = opendir(folder.c_str());
    long long newest = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        struct statx info {};
        if (statx(dirfd(dir), entry->d_name, 0, STATX_BTIME, &info) == 0) {
            newest = std::max<long long>(newest, info.stx_btime.tv_sec);
        }
    }
    closedir(dir);
    return newest;
}

} // namespace kumoden::bench
