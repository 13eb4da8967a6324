#pragma once

#include "platform/linux/cups/destinations.h"
#include "platform/linux/cups/scheduler_connection.h"
#include "tools/kumoden-print/job_follow.h"

#include <cups/cups.h>

#include <chrono>
#include <string>

namespace kumoden {

// What libcups says of the last request that failed.
std::string CupsError();

// "<what>: <what the scheduler said>", or that it did not answer at all.
std::string RequestFailure(const SchedulerConnection& scheduler, const std::string& what);

// The queue of that name (empty: the default destination) among all the
// scheduler's destinations; null, with the reason in why, when there is none.
cups_dest_t* FindQueue(const SchedulerConnection& scheduler, Destinations& all, const std::string& name,
                       std::string& why);

// Submits the file as the one document of a job titled so; the job id, or
// 0 with the reason in why. A job broken off while sending is cancelled.
int SubmitFile(const SchedulerConnection& scheduler, cups_dest_t* dest, const std::string& file,
               const std::string& title, std::string& why);

// What the scheduler says now of the job and of its queue.
JobLook LookAtJob(const SchedulerConnection& scheduler, const cups_dest_t* dest, int jobId);

// A subscription to the scheduler's events of jobs, fetched when asked for
// (ippget). Made before the job is, it misses none of the job's events
// however soon the job ends, and it outlives the job: a subscription to the
// job alone goes with the job, and with it the events not yet fetched. It
// is the scheduler's, not the queue's: the scheduler tells a queue's
// subscribers only of the job it is printing, so a job cancelled while it
// waits would end unseen. Cancelled when the object goes. Without one (the
// scheduler refused it, or has as many as it allows) the job is followed by
// its lookup alone.
class SchedulerEvents {
public:
    SchedulerEvents(const SchedulerConnection& scheduler, std::chrono::seconds lease);
    SchedulerEvents(const SchedulerEvents&) = delete;
    SchedulerEvents& operator=(const SchedulerEvents&) = delete;
    ~SchedulerEvents();

    bool subscribed() const { return m_id > 0; }
    // The events that came since the last call, of every job.
    JobEventsLook take();

private:
    const SchedulerConnection& m_scheduler;
    int m_id = 0;
    int m_next = 1; // notify-sequence-number of the next event wanted
};

} // namespace kumoden
