#include "tools/kumoden-print/cups_job.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <memory>
#include <set>
#include <vector>

namespace kumoden {
namespace {

struct InfoFree {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
struct IppFree {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppFree>;

// Sends the file as the one document of the job; false when it broke off.
bool sendDocument(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, int jobId, const std::string& file,
                  const std::string& title)
{
    std::ifstream in(file, std::ios::binary);
    if (!in || cupsStartDestDocument(http, dest, info, jobId, title.c_str(), CUPS_FORMAT_PDF, 0, nullptr,
                                     1) != HTTP_STATUS_CONTINUE) {
        return false;
    }
    char buffer[65536];
    bool ok = true;
    while (ok && in) {
        in.read(buffer, sizeof buffer);
        const auto count = static_cast<std::size_t>(in.gcount());
        ok = !in.bad() && (count == 0 || cupsWriteRequestData(http, buffer, count) == HTTP_STATUS_CONTINUE);
    }
    // Finish in any case so the connection is left in a usable state.
    const bool finished = cupsFinishDestDocument(http, dest, info) <= IPP_STATUS_OK_CONFLICTING;
    return ok && finished;
}

std::string queueUri(const cups_dest_t* dest)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     dest->name);
    return uri;
}

// A request on the scheduler's subscriptions, from the user they belong to.
ipp_t* subscriptionRequest(ipp_op_t operation)
{
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

// One request about the queue (with a job id: about the job on it); null
// when the scheduler gave no usable answer, cupsLastError() tells why.
Ipp askAbout(http_t* http, const cups_dest_t* dest, int jobId, const std::vector<const char*>& wanted)
{
    ipp_t* request = ippNewRequest(jobId > 0 ? IPP_OP_GET_JOB_ATTRIBUTES : IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, queueUri(dest).c_str());
    if (jobId > 0) {
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    }
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(wanted.size()), nullptr, wanted.data());
    Ipp answer(cupsDoRequest(http, request, "/"));
    if (!answer || ippGetStatusCode(answer.get()) > IPP_STATUS_OK_CONFLICTING) {
        return nullptr;
    }
    return answer;
}

std::string textOf(ipp_t* answer, const char* name)
{
    const char* text = ippGetString(ippFindAttribute(answer, name, IPP_TAG_ZERO), 0, nullptr);
    return text ? text : "";
}

std::vector<std::string> wordsOf(ipp_t* answer, const char* name)
{
    ipp_attribute_t* attribute = ippFindAttribute(answer, name, IPP_TAG_ZERO);
    std::vector<std::string> words;
    for (int i = 0; i < ippGetCount(attribute); ++i) {
        if (const char* word = ippGetString(attribute, i, nullptr)) {
            words.emplace_back(word);
        }
    }
    return words;
}

int enumOf(ipp_t* answer, const char* name)
{
    return ippGetInteger(ippFindAttribute(answer, name, IPP_TAG_ENUM), 0);
}

// A look that found no answer, and why.
JobLook unanswered(const SchedulerConnection& scheduler, bool aboutTheJob)
{
    JobLook look;
    if (scheduler.gaveUp()) {
        look.answer = JobLook::Answer::silent;
        look.problem = SchedulerConnection::noAnswerText();
    } else if (aboutTheJob && cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
        look.answer = JobLook::Answer::jobUnknown;
    } else {
        look.answer = JobLook::Answer::unreachable;
        look.problem = "the print scheduler does not answer: " + CupsError();
    }
    return look;
}

// Fills in the event from one of its attributes; notes the sequence
// number of the event after it.
void takeAttribute(JobEvent& event, ipp_attribute_t* attribute, int& next)
{
    const std::string_view name = ippGetName(attribute);
    if (name == "notify-sequence-number") {
        next = std::max(next, ippGetInteger(attribute, 0) + 1);
    } else if (name == "notify-job-id") {
        event.jobId = ippGetInteger(attribute, 0);
    } else if (name == "job-state") {
        event.jobState = ippGetInteger(attribute, 0);
    } else if (name == "notify-subscribed-event" || name == "notify-text") {
        const char* text = ippGetString(attribute, 0, nullptr);
        (name == "notify-text" ? event.text : event.kind) = text ? text : "";
    } else if (name == "job-state-reasons") {
        for (int i = 0; i < ippGetCount(attribute); ++i) {
            if (const char* reason = ippGetString(attribute, i, nullptr)) {
                event.jobReasons.emplace_back(reason);
            }
        }
    }
}

// The events of an answer to Get-Notifications, one group each. The
// scheduler does not always put a separator between two groups: an
// attribute the event at hand already has starts the next one.
std::vector<JobEvent> eventsIn(ipp_t* answer, int& next)
{
    std::vector<JobEvent> events;
    std::set<std::string> names; // of the event at hand; none before the first
    bool inGroup = false;
    for (ipp_attribute_t* attribute = ippFirstAttribute(answer); attribute != nullptr;
         attribute = ippNextAttribute(answer)) {
        if (ippGetGroupTag(attribute) != IPP_TAG_EVENT_NOTIFICATION || ippGetName(attribute) == nullptr) {
            inGroup = false;
            continue;
        }
        if (!inGroup || !names.insert(ippGetName(attribute)).second) {
            events.emplace_back();
            names = {ippGetName(attribute)};
            inGroup = true;
        }
        takeAttribute(events.back(), attribute, next);
    }
    return events;
}

} // namespace

std::string CupsError()
{
    const char* text = cupsLastErrorString();
    return text && *text ? text : "unknown error";
}

std::string RequestFailure(const SchedulerConnection& scheduler, const std::string& what)
{
    return scheduler.gaveUp() ? SchedulerConnection::noAnswerText() : what + ": " + CupsError();
}

cups_dest_t* FindQueue(const SchedulerConnection& scheduler, Destinations& all, const std::string& name,
                       std::string& why)
{
    all.load(scheduler);
    if (scheduler.gaveUp()) {
        why = SchedulerConnection::noAnswerText();
        return nullptr;
    }
    cups_dest_t* const dest = all.find(name);
    if (dest != nullptr) {
        return dest;
    }
    if (all.count > 0 || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND ||
        cupsLastError() <= IPP_STATUS_OK_CONFLICTING) {
        why = name.empty() ? "no default printer is set" : "no print queue named " + name;
    } else {
        why = RequestFailure(scheduler, "cannot look up " + (name.empty() ? "the default printer" : name));
    }
    return nullptr;
}

int SubmitFile(const SchedulerConnection& scheduler, cups_dest_t* dest, const std::string& file,
               const std::string& title, std::string& why)
{
    http_t* const http = scheduler.http();
    const std::string queueText = std::string("queue ") + dest->name;
    const std::unique_ptr<cups_dinfo_t, InfoFree> info(cupsCopyDestInfo(http, dest));
    if (!info) {
        why = RequestFailure(scheduler, "cannot query " + queueText);
        return 0;
    }
    int jobId = 0;
    if (cupsCreateDestJob(http, dest, info.get(), &jobId, title.c_str(), 0, nullptr) >
            IPP_STATUS_OK_CONFLICTING ||
        jobId <= 0) {
        why = RequestFailure(scheduler, "cannot create a job on " + queueText);
        return 0;
    }
    if (sendDocument(http, dest, info.get(), jobId, file, title)) {
        return jobId;
    }
    if (scheduler.gaveUp()) {
        // Nobody would hear the cancel either.
        why = SchedulerConnection::noAnswerText();
        return 0;
    }
    why = "cannot send " + file + " to " + queueText + ": " + CupsError();
    // Leave no half-submitted job waiting in the queue.
    cupsCancelDestJob(http, dest, jobId);
    return 0;
}

JobLook LookAtJob(const SchedulerConnection& scheduler, const cups_dest_t* dest, int jobId)
{
    http_t* const http = scheduler.http();
    const Ipp job =
        askAbout(http, dest, jobId, {"job-state", "job-state-reasons", "job-printer-state-message"});
    if (!job) {
        return unanswered(scheduler, true);
    }
    const Ipp queue = askAbout(http, dest, 0, {"printer-state", "printer-state-message"});
    if (!queue) {
        return unanswered(scheduler, false);
    }
    JobLook look;
    look.jobState = enumOf(job.get(), "job-state");
    look.jobReasons = wordsOf(job.get(), "job-state-reasons");
    look.jobMessage = textOf(job.get(), "job-printer-state-message");
    look.queueStopped = enumOf(queue.get(), "printer-state") == IPP_PSTATE_STOPPED;
    look.queueMessage = textOf(queue.get(), "printer-state-message");
    return look;
}

SchedulerEvents::SchedulerEvents(const SchedulerConnection& scheduler, std::chrono::seconds lease)
    : m_scheduler(scheduler)
{
    // The job's changes of state and its end; its progress for the
    // printer's words on it.
    static const char* const kinds[] = {"job-state-changed", "job-completed", "job-stopped", "job-progress"};
    ipp_t* request = subscriptionRequest(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS);
    ippAddString(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-pull-method", nullptr, "ippget");
    ippAddStrings(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-events",
                  static_cast<int>(std::size(kinds)), nullptr, kinds);
    ippAddInteger(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-lease-duration",
                  static_cast<int>(std::min<std::chrono::seconds::rep>(lease.count(), INT_MAX)));
    const Ipp answer(cupsDoRequest(scheduler.http(), request, "/"));
    if (answer && ippGetStatusCode(answer.get()) <= IPP_STATUS_OK_CONFLICTING) {
        m_id = ippGetInteger(ippFindAttribute(answer.get(), "notify-subscription-id", IPP_TAG_INTEGER), 0);
    }
}

SchedulerEvents::~SchedulerEvents()
{
    // None is left behind; a scheduler that has stopped answering would
    // not hear it either.
    if (m_id <= 0 || m_scheduler.gaveUp()) {
        return;
    }
    ipp_t* request = subscriptionRequest(IPP_OP_CANCEL_SUBSCRIPTION);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", m_id);
    ippDelete(cupsDoRequest(m_scheduler.http(), request, "/"));
}

JobEventsLook SchedulerEvents::take()
{
    JobEventsLook look;
    if (m_id <= 0) {
        look.answer = JobLook::Answer::jobUnknown;
        return look;
    }
    ipp_t* request = subscriptionRequest(IPP_OP_GET_NOTIFICATIONS);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-ids", m_id);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-sequence-numbers", m_next);
    const Ipp answer(cupsDoRequest(m_scheduler.http(), request, "/"));
    // Every successful status counts, "events complete" among them.
    if (!answer || ippGetStatusCode(answer.get()) >= IPP_STATUS_REDIRECTION_OTHER_SITE) {
        const JobLook why = unanswered(m_scheduler, true);
        look.answer = why.answer;
        look.problem = why.problem;
        if (look.answer == JobLook::Answer::jobUnknown) {
            m_id = 0; // gone: nothing to fetch or cancel any more
        }
        return look;
    }
    look.events = eventsIn(answer.get(), m_next);
    return look;
}

} // namespace kumoden
