#pragma once

#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_time.h"
#include "watch/watch_services.h"

namespace kumoden::fake {

// The watch's services on the given files, and on a fake clock (or the
// given one), sleeper, launcher, printer list and message box.
struct WatchFakes {
    explicit WatchFakes(FileSystem& files, LocalTime start = {})
        : clock(start), services{files, sleeper, clock, launcher, printers, messages}
    {
    }
    WatchFakes(FileSystem& files, Clock& realClock)
        : services{files, sleeper, realClock, launcher, printers, messages}
    {
    }
    WatchFakes(const WatchFakes&) = delete;
    WatchFakes& operator=(const WatchFakes&) = delete;

    FakeClock clock;
    FakeSleeper sleeper{&clock};
    FakeLauncher launcher;
    FakePrinterList printers;
    FakeMessageDialog messages;
    WatchServices services;
};

} // namespace kumoden::fake
