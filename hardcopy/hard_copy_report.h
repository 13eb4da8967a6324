#pragma once

#include "model/notices.h"

#include <set>
#include <string>

namespace kumoden {

// Tells the user of hard copies that were abandoned: each reason once, from
// the icon and in the log, until a hard copy prints again.
class HardCopyReport {
public:
    explicit HardCopyReport(Notices& notices) : m_notices(notices) {}
    HardCopyReport(const HardCopyReport&) = delete;
    HardCopyReport& operator=(const HardCopyReport&) = delete;

    void abandoned(const std::string& why);
    void printed();

private:
    Notices& m_notices;
    // The causes told since the last hard copy that printed.
    std::set<std::string> m_told;
};

} // namespace kumoden
