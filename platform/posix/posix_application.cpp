#include "platform/posix/posix_application.h"

#include <climits>
#include <unistd.h>

namespace kumoden {
namespace {

std::string selfExecutable()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

} // namespace

PosixApplication::PosixApplication() : PosixApplication(selfExecutable()) {}

PosixApplication::PosixApplication(const std::string& executable)
{
    const auto slash = executable.rfind('/');
    const std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
    if (slash == std::string::npos) {
        m_path = ".";
    } else {
        m_path = slash == 0 ? "/" : executable.substr(0, slash);
    }
    const auto dot = name.rfind('.');
    m_exeName = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
}

} // namespace kumoden
