#include "platform/linux/systemd/journal_log.h"

#include "platform/linux/posix/write_all.h"

#include <cinttypes>
#include <cstdio>
#include <sys/stat.h>

namespace kumoden {
namespace {

const char* priorityPrefix(LogLevel level)
{
    switch (level) {
    case LogLevel::error:
        return "<3>";
    case LogLevel::warning:
        return "<4>";
    case LogLevel::info:
        break;
    }
    return "<6>";
}

} // namespace

bool IsJournalStream(const char* journalStream, int fd)
{
    if (journalStream == nullptr) {
        return false;
    }
    std::uintmax_t device = 0;
    std::uintmax_t inode = 0;
    char rest = 0;
    if (std::sscanf(journalStream, "%" SCNuMAX ":%" SCNuMAX "%c", &device, &inode, &rest) != 2) {
        return false;
    }
    struct stat status {};
    return fstat(fd, &status) == 0 && static_cast<std::uintmax_t>(status.st_dev) == device &&
           static_cast<std::uintmax_t>(status.st_ino) == inode;
}

std::string JournalLines(const std::string& text, LogLevel level)
{
    const std::string prefix = priorityPrefix(level);
    std::string lines = prefix;
    for (const char c : text) {
        lines += c;
        if (c == '\n') {
            lines += prefix;
        }
    }
    return lines + '\n';
}

void JournalEventLog::append(const std::string& line, LogLevel level)
{
    m_file.append(line, level);
    // A journal that is gone loses the line; the file keeps it.
    WriteAll(m_stream, JournalLines(line, level));
}

} // namespace kumoden
