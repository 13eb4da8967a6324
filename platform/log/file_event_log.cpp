#include "platform/log/file_event_log.h"

#include <fstream>
#include <system_error>

namespace kumoden {
namespace {

std::filesystem::path fromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

} // namespace

FileEventLog::FileEventLog(const std::string& path, std::uintmax_t cap)
    : m_path(fromUtf8(path)), m_old(fromUtf8(path + ".1")), m_cap(cap)
{
}

void FileEventLog::append(const std::string& line)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(m_path, error);
    if (!error && size > 0 && size + line.size() + 1 > m_cap) {
        std::filesystem::rename(m_path, m_old, error);
    }
    std::ofstream out(m_path, std::ios::binary | std::ios::app);
    if (!out && !m_path.parent_path().empty() && !std::filesystem::exists(m_path.parent_path(), error)) {
        // The user's settings folder before the first save: the log makes it.
        if (std::filesystem::create_directories(m_path.parent_path(), error)) {
            std::filesystem::permissions(m_path.parent_path(), std::filesystem::perms::owner_all, error);
        }
        out.open(m_path, std::ios::binary | std::ios::app);
    }
    out << line << '\n';
}

} // namespace kumoden
