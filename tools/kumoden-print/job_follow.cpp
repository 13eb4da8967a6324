#include "tools/kumoden-print/job_follow.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>

namespace kumoden {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kFirstPause{100};
constexpr milliseconds kLongestPause{1000};
constexpr long kLongestWaitSeconds = 24L * 60 * 60;
constexpr std::chrono::minutes kLeaseMargin{1};

// IPP job-state values.
constexpr int kJobHeld = 4;
constexpr int kJobStopped = 6;
constexpr int kJobCancelled = 7;
constexpr int kJobAborted = 8;
constexpr int kJobCompleted = 9;

// Why a job does not move on.
enum class Stall { none, held, stopped, unreachable };

bool has(const std::vector<std::string>& reasons, std::string_view reason)
{
    return std::find(reasons.begin(), reasons.end(), reason) != reasons.end();
}

// The reasons worth telling, "none" left out.
std::string joined(const std::vector<std::string>& reasons)
{
    std::string text;
    for (const std::string& reason : reasons) {
        if (reason != "none") {
            text += (text.empty() ? "" : ", ") + reason;
        }
    }
    return text;
}

// Who cancelled the job, when the scheduler says.
std::string cancelledBy(const std::vector<std::string>& reasons)
{
    std::vector<std::string> by;
    std::copy_if(reasons.begin(), reasons.end(), std::back_inserter(by),
                 [](const std::string& reason) { return reason.starts_with("job-canceled"); });
    return joined(by);
}

std::string withWhy(std::string text, const std::string& why)
{
    return why.empty() ? text : text + " (" + why + ")";
}

JobVerdict verdict(PrintOutcome outcome, const std::string& text)
{
    return {outcome, std::string(PrintOutcomeWord(outcome)) + ": " + text};
}

// "5 min", "90 s".
std::string spanText(milliseconds span)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span).count();
    return seconds % 60 == 0 && seconds > 0 ? std::to_string(seconds / 60) + " min"
                                            : std::to_string(seconds) + " s";
}

// The printer's own words on a failure, else the scheduler's reasons.
std::string printerWhy(const JobLook& look)
{
    if (!look.jobMessage.empty()) {
        return look.jobMessage;
    }
    return look.queueMessage.empty() ? joined(look.jobReasons) : look.queueMessage;
}

// The verdict on a job that has ended, or nothing while it has not. A job
// the scheduler calls completed "with errors" came out of a failed filter
// and did not print; a job stopped on a queue that is not is stopped for
// good, for the same cause.
std::optional<JobVerdict> ended(const JobLook& look, const std::string& on)
{
    switch (look.jobState) {
    case kJobCompleted:
        if (has(look.jobReasons, "job-completed-with-errors")) {
            return verdict(PrintOutcome::failedAtPrinter, withWhy(on, printerWhy(look)));
        }
        return verdict(PrintOutcome::printed, on);
    case kJobAborted:
        return verdict(PrintOutcome::failedAtPrinter, withWhy(on, printerWhy(look)));
    case kJobCancelled:
        return verdict(PrintOutcome::cancelled, withWhy(on, cancelledBy(look.jobReasons)));
    case kJobStopped:
        if (!look.queueStopped) {
            return verdict(PrintOutcome::failedAtPrinter, withWhy(on, printerWhy(look)));
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

// The verdict of a look that ends the following, or nothing.
std::optional<JobVerdict> settled(const JobLook& look, const std::string& on)
{
    switch (look.answer) {
    case JobLook::Answer::silent:
        return verdict(PrintOutcome::unknown, on + ": " + look.problem);
    case JobLook::Answer::jobUnknown:
        return verdict(PrintOutcome::unknown, "the print scheduler no longer knows " + on);
    case JobLook::Answer::unreachable:
        return std::nullopt;
    case JobLook::Answer::answered:
        break;
    }
    return ended(look, on);
}

Stall stallOf(const JobLook& look)
{
    if (look.answer == JobLook::Answer::unreachable) {
        return Stall::unreachable;
    }
    if (look.jobState == kJobHeld) {
        return Stall::held;
    }
    return look.queueStopped ? Stall::stopped : Stall::none;
}

// The answer once a stall has lasted the whole wait: the job stays where it
// is, to print when the queue goes on or someone releases it.
JobVerdict stalled(Stall stall, const JobLook& look, const std::string& wait, int jobId,
                   const std::string& queue)
{
    const std::string job = "job " + std::to_string(jobId);
    switch (stall) {
    case Stall::held:
        return verdict(PrintOutcome::held, withWhy("queue " + queue + " has held " + job + " for " + wait +
                                                       "; it waits there until it is released",
                                                   joined(look.jobReasons)));
    case Stall::stopped:
        return verdict(PrintOutcome::queueStopped,
                       withWhy("queue " + queue + " has been stopped for " + wait + "; " + job +
                                   " waits there until the queue is resumed",
                               look.queueMessage));
    case Stall::unreachable:
    case Stall::none:
        break;
    }
    return verdict(PrintOutcome::unknown, job + " on queue " + queue + ": " + look.problem);
}

// The scheduler's own count of pages printed is no word of the printer's.
bool fromThePrinter(const std::string& text)
{
    return !text.empty() && !text.starts_with("Printing page ") &&
           !(text.starts_with("Printed ") && text.ends_with(" page(s)."));
}

// What the events told of one job so far.
class SeenInEvents {
public:
    explicit SeenInEvents(int jobId) : m_jobId(jobId) { m_last.jobState = 0; }

    void take(const std::vector<JobEvent>& events)
    {
        for (const JobEvent& event : events) {
            if (event.jobId != m_jobId) {
                continue;
            }
            if (event.kind == "job-progress" && fromThePrinter(event.text)) {
                m_printerWords = event.text;
            }
            if (event.jobState > 0) {
                m_last.jobState = event.jobState;
                m_last.jobReasons = event.jobReasons;
                m_stateText = event.text;
            }
        }
    }

    // The job as it ended, with the printer's last words on it (else the
    // scheduler's on its end); nothing while no event told its end.
    std::optional<JobLook> end() const
    {
        if (m_last.jobState < kJobCancelled) {
            return std::nullopt;
        }
        JobLook look = m_last;
        look.jobMessage = m_printerWords.empty() ? m_stateText : m_printerWords;
        return look;
    }

private:
    int m_jobId;
    JobLook m_last; // no state yet
    std::string m_printerWords;
    std::string m_stateText;
};

// A job the scheduler does not know (any more), accounted for by its
// events: their end if they told one; while they cannot be had, no answer
// yet; else the scheduler truly cannot say what became of it.
JobLook accounted(const JobLook& unknown, const JobEventsLook& events, const SeenInEvents& seen)
{
    if (std::optional<JobLook> end = seen.end()) {
        return *end;
    }
    if (events.answer == JobLook::Answer::unreachable || events.answer == JobLook::Answer::silent) {
        JobLook look;
        look.answer = events.answer;
        look.problem = events.problem;
        return look;
    }
    return unknown;
}

} // namespace

FollowLimits LimitsFromWait(const char* seconds)
{
    FollowLimits limits;
    if (seconds == nullptr || *seconds == '\0') {
        return limits;
    }
    long value = 0;
    for (const char* c = seconds; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > kLongestWaitSeconds) {
            return limits;
        }
        value = value * 10 + (*c - '0');
    }
    if (value <= kLongestWaitSeconds) {
        limits.stalled = std::chrono::seconds(value);
    }
    return limits;
}

JobVerdict FollowJob(const std::function<JobLook()>& look, const FollowTime& time, const FollowLimits& limits,
                     int jobId, const std::string& queue)
{
    const std::string on = "job " + std::to_string(jobId) + " on queue " + queue;
    const auto start = time.now();
    Stall stall = Stall::none;
    auto since = start;
    milliseconds pause = kFirstPause;
    for (;;) {
        const JobLook seen = look();
        if (auto answer = settled(seen, on)) {
            return *answer;
        }
        const auto now = time.now();
        if (const Stall kind = stallOf(seen); kind != stall) {
            stall = kind;
            since = now;
        }
        if (stall != Stall::none && now - since >= limits.stalled) {
            return stalled(stall, seen, spanText(limits.stalled), jobId, queue);
        }
        if (now - start >= limits.overall) {
            return verdict(PrintOutcome::unknown, on + " has not ended within " + spanText(limits.overall) +
                                                      "; it stays in the queue");
        }
        time.sleep(pause);
        pause = std::min(pause * 2, kLongestPause);
    }
}

std::chrono::seconds EventLease(const FollowLimits& limits)
{
    return std::chrono::ceil<std::chrono::seconds>(limits.overall) + kLeaseMargin;
}

std::function<JobLook()> LookWithEvents(std::function<JobLook()> lookAtJob,
                                        std::function<JobEventsLook()> takeEvents, int jobId)
{
    auto seen = std::make_shared<SeenInEvents>(jobId);
    return [seen, lookAtJob = std::move(lookAtJob), takeEvents = std::move(takeEvents)] {
        const JobLook look = lookAtJob();
        if (look.answer == JobLook::Answer::silent) {
            return look;
        }
        // Taken at every look, so that the other jobs' events cannot crowd
        // this job's out of what the scheduler keeps for the subscription.
        const JobEventsLook events = takeEvents();
        seen->take(events.events);
        return look.answer == JobLook::Answer::jobUnknown ? accounted(look, events, *seen) : look;
    };
}

} // namespace kumoden
