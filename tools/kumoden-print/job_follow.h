#pragma once

#include "printing/print_outcome.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kumoden {

// What the scheduler said of a job and its queue at one look.
struct JobLook {
    enum class Answer {
        answered,
        unreachable, // no answer this time; it may come back
        silent,      // the scheduler let a wait run out: no later look will do better
        jobUnknown,  // the scheduler has no such job (any more)
    };
    Answer answer = Answer::answered;
    std::string problem;                 // why there was no answer
    int jobState = 3;                    // IPP job-state: 3 pending ... 9 completed
    std::vector<std::string> jobReasons; // job-state-reasons
    std::string jobMessage;              // job-printer-state-message
    bool queueStopped = false;           // printer-state is stopped
    std::string queueMessage;            // printer-state-message
};

// How long a job is followed. A job held, on a stopped queue or out of the
// scheduler's reach this long in a row has its answer: it will not print
// by itself soon. One that moves is followed up to the overall bound.
struct FollowLimits {
    std::chrono::milliseconds stalled{std::chrono::minutes(5)};
    std::chrono::milliseconds overall{std::chrono::hours(1)};
};

// The stalled bound from the value of KUMODEN_PRINT_WAIT (whole seconds,
// at most a day); the default when it is unset or not such a number.
FollowLimits LimitsFromWait(const char* seconds);

struct JobVerdict {
    PrintOutcome outcome = PrintOutcome::unknown;
    std::string line; // one line, starting with the outcome's word
};

// Time for the follower: a real clock and sleep in the program, fakes in tests.
struct FollowTime {
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(std::chrono::milliseconds)> sleep;
};

// Looks at the job until it has ended or a bound has passed: at first
// often (a small job prints in a fraction of a second), then once a second.
JobVerdict FollowJob(const std::function<JobLook()>& look, const FollowTime& time, const FollowLimits& limits,
                     int jobId, const std::string& queue);

// One event the scheduler sent of a job.
struct JobEvent {
    int jobId = 0;
    std::string kind;                    // "job-completed", "job-progress", ...
    int jobState = 0;                    // 0 when the event gave none
    std::vector<std::string> jobReasons; // job-state-reasons
    std::string text;                    // notify-text
};

// The events that came since the last time they were asked for.
struct JobEventsLook {
    // jobUnknown: the subscription is gone (its lease ran out, someone
    // cancelled it); no more events will come.
    JobLook::Answer answer = JobLook::Answer::answered;
    std::string problem; // why there was no answer
    std::vector<JobEvent> events;
};

// How long the subscription to the scheduler's events is to last: as long as a
// job is followed at most, and a margin for the last requests.
std::chrono::seconds EventLease(const FollowLimits& limits);

// A look at the job that also asks for the scheduler's events each time. The
// job lookup is the answer while the scheduler knows the job; one that
// forgets a job the moment it ends (no job history kept) no longer does,
// and then the end the events told is the answer.
std::function<JobLook()> LookWithEvents(std::function<JobLook()> lookAtJob,
                                        std::function<JobEventsLook()> takeEvents, int jobId);

} // namespace kumoden
