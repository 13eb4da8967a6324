#include "bench/bench_folder.h"

#include <fcntl.h>
#include <unistd.h>

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

} // namespace kumoden::bench
