#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace kumoden {

// The last non-empty line of what a program wrote, as one printable line
// of bounded length, so that nothing it writes can fill memory or forge
// lines of the log.
class LastLine {
public:
    void add(const char* bytes, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte == '\n') {
                endLine();
            } else if (byte != '\r' && m_line.size() < kLongest) {
                m_line += (byte < 0x20 || byte == 0x7f) ? ' ' : static_cast<char>(byte);
            }
        }
    }
    std::string take()
    {
        endLine();
        return std::move(m_last);
    }

private:
    static constexpr std::size_t kLongest = 400;

    void endLine()
    {
        const auto first = m_line.find_first_not_of(' ');
        if (first != std::string::npos) {
            m_last = m_line.substr(first, m_line.find_last_not_of(' ') + 1 - first);
        }
        m_line.clear();
    }

    std::string m_line;
    std::string m_last;
};

} // namespace kumoden
