#include "hardcopy/hard_copy_report.h"

namespace kumoden {

void HardCopyReport::abandoned(const std::string& why)
{
    const std::string cause = "hardcopy:" + why;
    m_told.insert(cause);
    m_notices.fail(cause, "ハードコピーを印刷できませんでした: " + why);
}

void HardCopyReport::printed()
{
    for (const std::string& cause : m_told) {
        m_notices.clear(cause);
    }
    m_told.clear();
}

} // namespace kumoden
