#pragma once

#include "platform/linux/cups/scheduler_connection.h"

#include <cups/cups.h>

#include <string>

namespace kumoden {

// The scheduler's destinations, freed with the object. The program's lookup
// of a queue and kumoden-print's are this one, so that both find the same
// queue for a name, and the same default for the empty one.
struct Destinations {
    cups_dest_t* dests = nullptr;
    int count = 0;

    Destinations() = default;
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;
    ~Destinations() { cupsFreeDests(count, dests); }

    // Asks for all of them on this connection: cupsGetNamedDest, when its
    // own request fails, asks again on the default connection, whose waits
    // are not bounded.
    void load(const SchedulerConnection& scheduler) { count = cupsGetDests2(scheduler.http(), &dests); }
    // The destination of that name (empty: the default one); null when
    // there is none.
    cups_dest_t* find(const std::string& name) const
    {
        return cupsGetDest(name.empty() ? nullptr : name.c_str(), nullptr, count, dests);
    }
};

} // namespace kumoden
