#include "platform/common/file_event_log.h"

#include <cstdio>
#include <fstream>
#include <system_error>
#include <utility>

namespace kumoden {
namespace {

std::filesystem::path fromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

} // namespace

FileEventLog::FileEventLog(const std::string& path, std::uintmax_t cap, BrokenHandler broken)
    : m_path(fromUtf8(path)), m_old(fromUtf8(path + ".1")), m_cap(cap), m_name(path),
      m_broken(std::move(broken))
{
}

void FileEventLog::append(const std::string& line, LogLevel)
{
    const bool written = write(line);
    if (written || m_failing) {
        m_failing = !written;
        return;
    }
    m_failing = true;
    const std::string text = "ログファイル「" + m_name + "」に書き込めません。記録は失われています。";
    std::fprintf(stderr, "kumoden: %s\n", text.c_str());
    std::fflush(stderr);
    if (m_broken) {
        m_broken(text);
    }
}

bool FileEventLog::write(const std::string& line)
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
    out.flush();
    return static_cast<bool>(out);
}

} // namespace kumoden
