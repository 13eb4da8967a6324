#pragma once

#include <cups/cups.h>

#include <chrono>
#include <string>

namespace kumoden {

// How long the scheduler may keep us waiting, to connect or for any answer,
// before it counts as not answering. libcups on its own waits a minute for
// each answer, and some of its calls fall back to asking again.
inline constexpr std::chrono::seconds kSchedulerTimeout{5};

// What else bounds the waits on a connection.
struct SchedulerLimits {
    // All waits together last at most this long; zero: only each wait on
    // its own is bounded, by kSchedulerTimeout of silence.
    std::chrono::milliseconds overall{0};
    // Readable once the program is asked to end: the waits end at once.
    // -1: none.
    int stopDescriptor = -1;
};

// What became of a request to the scheduler.
enum class SchedulerAnswer {
    answered,    // it answered, perhaps that it has nothing of the kind
    unreachable, // no connection, or it refused the request
    noAnswer,    // it took the request and let a wait run out
};

// A connection to the scheduler libcups is set up for (CUPS_SERVER,
// client.conf) on which no wait lasts longer than kSchedulerTimeout. Once
// the scheduler has let one wait run out, every later wait on the
// connection gives up at once, so a call that asks several times ends soon
// after the first silence. Limits may bound all waits together and cut
// them on a request to end. Make every call to the scheduler with http(),
// never with CUPS_HTTP_DEFAULT, whose waits are not bounded.
class SchedulerConnection {
public:
    explicit SchedulerConnection(SchedulerLimits limits = {});
    SchedulerConnection(const SchedulerConnection&) = delete;
    SchedulerConnection& operator=(const SchedulerConnection&) = delete;
    ~SchedulerConnection();

    // Null when the scheduler could not be reached.
    http_t* http() const { return m_http; }
    // Whether a wait ran out: the scheduler took the connection or the
    // request and did not answer.
    bool gaveUp() const { return m_gaveUp; }
    // What the last request on this connection came to.
    SchedulerAnswer lastAnswer() const;

    // "the print scheduler did not answer within 5 s"
    static std::string noAnswerText();

private:
    static int keepWaiting(http_t* http, void* self);

    bool stopAsked() const;

    SchedulerLimits m_limits;
    std::chrono::steady_clock::time_point m_start;
    http_t* m_http = nullptr;
    bool m_gaveUp = false;
};

// Whether the scheduler answers, on a connection of its own: one small
// request (the name of its default destination), so a few milliseconds
// when it does and at most about kSchedulerTimeout when it does not. Ask
// before a call that waits on the scheduler without a bound (Qt's
// printing): one that went out to a silent scheduler would not come back
// for minutes. One that cannot reach it fails at once on its own.
SchedulerAnswer askScheduler();

} // namespace kumoden
