#include "platform/linux/cups/scheduler_connection.h"

#include <algorithm>
#include <ctime>
#include <poll.h>

namespace kumoden {

namespace {

// How often a wait looks at the time since the scheduler last spoke, and
// whether the program is asked to end.
constexpr double kWaitSlice = 0.25;

} // namespace

SchedulerConnection::SchedulerConnection(SchedulerLimits limits)
    : m_limits(limits), m_start(std::chrono::steady_clock::now())
{
    auto connectLimit = std::chrono::duration_cast<std::chrono::milliseconds>(kSchedulerTimeout);
    if (m_limits.overall > std::chrono::milliseconds::zero()) {
        connectLimit = std::min(connectLimit, m_limits.overall);
    }
    // A connect that does not complete in time fails like any other.
    m_http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                          static_cast<int>(connectLimit.count()), nullptr);
    if (m_http != nullptr) {
        httpSetTimeout(m_http, kWaitSlice, &SchedulerConnection::keepWaiting, this);
    }
}

SchedulerConnection::~SchedulerConnection()
{
    httpClose(m_http);
}

int SchedulerConnection::keepWaiting(http_t* http, void* self)
{
    auto& connection = *static_cast<SchedulerConnection*>(self);
    // Whole seconds: more than the limit means at least that long in silence.
    const auto silent = std::time(nullptr) - httpGetActivity(http);
    const auto overall = connection.m_limits.overall;
    const bool late = overall > std::chrono::milliseconds::zero() &&
                      std::chrono::steady_clock::now() - connection.m_start >= overall;
    if (connection.m_gaveUp || silent > kSchedulerTimeout.count() || late || connection.stopAsked()) {
        connection.m_gaveUp = true;
        return 0;
    }
    return 1;
}

bool SchedulerConnection::stopAsked() const
{
    if (m_limits.stopDescriptor < 0) {
        return false;
    }
    pollfd entry{m_limits.stopDescriptor, POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}

SchedulerAnswer SchedulerConnection::lastAnswer() const
{
    if (m_http == nullptr) {
        return SchedulerAnswer::unreachable;
    }
    if (m_gaveUp) {
        return SchedulerAnswer::noAnswer;
    }
    // "Not found" is an answer: no printer installed, no default set.
    const ipp_status_t status = cupsLastError();
    if (status > IPP_STATUS_OK_CONFLICTING && status != IPP_STATUS_ERROR_NOT_FOUND) {
        return SchedulerAnswer::unreachable;
    }
    return SchedulerAnswer::answered;
}

std::string SchedulerConnection::noAnswerText()
{
    return "the print scheduler did not answer within " + std::to_string(kSchedulerTimeout.count()) + " s";
}

SchedulerAnswer askScheduler()
{
    const SchedulerConnection scheduler;
    if (scheduler.http() == nullptr) {
        return SchedulerAnswer::unreachable;
    }
    ipp_t* const request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    ippDelete(cupsDoRequest(scheduler.http(), request, "/"));
    return scheduler.lastAnswer();
}

} // namespace kumoden
