#include "model/notices.h"

#include <cstdio>
#include <iterator>

namespace kumoden {

Notices::Notices(TrayIcon& icon, EventLog& log, const Clock& clock, std::string title, ServiceStatus* status)
    : m_icon(icon), m_log(log), m_clock(clock), m_title(std::move(title)), m_status(status)
{
}

void Notices::write(const std::string& text, std::optional<LocalTime> at, LogLevel level)
{
    m_log.append(LogTimestamp(at.value_or(m_clock.now())) + " " + text, level);
}

void Notices::tellFailure(const std::string& text, std::optional<LocalTime> at)
{
    write(text, at, LogLevel::error);
    if (m_status != nullptr) {
        m_status->failed(text);
    }
}

void Notices::record(const std::string& what, std::optional<LocalTime> at)
{
    write(what, at, LogLevel::info);
}

void Notices::recordHandedToReader(const std::string& what)
{
    record(what);
    if (m_status != nullptr) {
        m_status->handedToReader();
    }
}

bool Notices::fail(const std::string& cause, const std::string& text, std::optional<LocalTime> at)
{
    if (!m_failing.insert(cause).second) {
        return false;
    }
    tellFailure(text, at);
    m_icon.showNotice(m_title, text);
    return true;
}

void Notices::failEveryTime(const std::string& cause, const std::string& text, std::optional<LocalTime> at)
{
    if (!fail(cause, text, at)) {
        tellFailure(text, at);
    }
}

bool Notices::note(const std::string& cause, const std::string& text)
{
    if (!m_failing.insert(cause).second) {
        return false;
    }
    write(text, std::nullopt, LogLevel::warning);
    return true;
}

void Notices::failFor(const std::string& cause, const std::string& file, const std::string& text)
{
    if (!m_failing.insert(cause + "\n" + file).second) {
        return;
    }
    if (!fail(cause, text)) {
        tellFailure(text, std::nullopt);
    }
}

void Notices::keepOnly(const std::string& prefix, const std::set<std::string>& kept)
{
    for (auto it = m_failing.lower_bound(prefix); it != m_failing.end() && it->starts_with(prefix);) {
        it = kept.contains(*it) ? std::next(it) : m_failing.erase(it);
    }
}

void Notices::clear(const std::string& cause)
{
    m_failing.erase(cause);
}

void Notices::clearWithFiles(const std::string& cause)
{
    clear(cause);
    clearStartingWith(cause + "\n");
}

void Notices::clearStartingWith(const std::string& prefix)
{
    auto first = m_failing.lower_bound(prefix);
    auto last = first;
    while (last != m_failing.end() && last->starts_with(prefix)) {
        ++last;
    }
    m_failing.erase(first, last);
}

std::string LogTimestamp(LocalTime time)
{
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{floor<seconds>(time - day)};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

} // namespace kumoden
