#pragma once

#include "platform/cups/scheduler_connection.h"
#include "tools/kumoden-print/job_follow.h"

#include <cups/cups.h>

#include <string>

namespace kumoden {

// The scheduler's destinations, freed with the object.
struct Destinations {
    cups_dest_t* dests = nullptr;
    int count = 0;

    Destinations() = default;
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;
    ~Destinations() { cupsFreeDests(count, dests); }
};

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

} // namespace kumoden
