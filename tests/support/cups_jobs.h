#pragma once

#include <cups/cups.h>

#include <string>
#include <vector>

namespace kumoden::test {

struct CupsJob {
    int id = 0;
    std::string title;
    std::string queue;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
};

// The scheduler's records of the jobs of a queue (nullptr: of every queue),
// which one of CUPS_WHICHJOBS_ACTIVE, _COMPLETED, _ALL.
std::vector<CupsJob> cupsJobs(const char* queue, int which = CUPS_WHICHJOBS_ACTIVE);

} // namespace kumoden::test
