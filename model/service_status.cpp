#include "model/service_status.h"

namespace kumoden {
namespace {

// The last failure as the status line quotes it: long enough for a file's
// name and its reason, short enough for one line of systemctl status.
constexpr std::size_t kFailureBytes = 160;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool continuesCharacter(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

void ServiceStatus::ready()
{
    m_ready = true;
    m_told = text();
    m_manager.ready(m_told);
}

void ServiceStatus::handedToReader()
{
    ++m_handed;
    refresh();
}

void ServiceStatus::failed(const std::string& text)
{
    ++m_failed;
    m_lastFailure = OneLine(text, kFailureBytes);
    refresh();
}

void ServiceStatus::refresh()
{
    if (!m_ready) {
        return;
    }
    std::string now = text();
    if (now != m_told) {
        m_told = std::move(now);
        m_manager.status(m_told);
    }
}

std::string ServiceStatus::text() const
{
    const std::string& folder = m_info.FileChkDir;
    std::string line;
    if (folder.empty()) {
        line = "監視フォルダーが設定されていません";
    } else if (m_info.FileChkTime <= 0) {
        line = "監視間隔が 0 以下のため監視していません: " + folder;
    } else {
        line = "監視中: " + folder;
    }
    line += " — 印刷 " + std::to_string(m_handed) + "、失敗 " + std::to_string(m_failed);
    if (!m_lastFailure.empty()) {
        line += " (" + m_lastFailure + ")";
    }
    return line;
}

std::string OneLine(const std::string& text, std::size_t maxBytes)
{
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isBlank(text[i])) {
            line += text[i];
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    static const std::string ellipsis = "…";
    if (line.size() <= maxBytes) {
        return line;
    }
    std::size_t cut = maxBytes > ellipsis.size() ? maxBytes - ellipsis.size() : 0;
    while (cut > 0 && continuesCharacter(line[cut])) {
        --cut;
    }
    return line.substr(0, cut) + ellipsis;
}

} // namespace kumoden
