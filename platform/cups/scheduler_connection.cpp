#include "platform/cups/scheduler_connection.h"

#include <ctime>

namespace kumoden {

namespace {

// How often a wait looks at the time since the scheduler last spoke.
constexpr double kWaitSlice = 0.5;

} // namespace

SchedulerConnection::SchedulerConnection()
{
    const auto connectLimit = std::chrono::duration_cast<std::chrono::milliseconds>(kSchedulerTimeout);
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
    if (connection.m_gaveUp || silent > kSchedulerTimeout.count()) {
        connection.m_gaveUp = true;
        return 0;
    }
    return 1;
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
