#pragma once

#include "platform/launcher.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace kumoden {

// What a launcher does with the programs it started, whatever the system:
// it follows at most a bound of them at once (past it the oldest is given
// up, and takeEnded() tells so once), queues each end with the moment it
// was seen, and calls the end handler, outside the lock, each time ends
// have come in. One thread waits for ends; without it, ends are seen when
// they are asked for.
//
// How a program is followed is the Watch's, each call under the follower's
// lock unless said otherwise:
//   Child                                 one program followed
//   std::uint64_t task(const Child&)      its task identifier
//   std::optional<TaskEnd> ended(Child&)  how it ended (exit code, signal,
//                                         last error), once it has; what
//                                         followed it is given back then
//   void unfollow(Child&)                 it is given up, still running
//   void release(Child&)                  the follower goes: what follows
//                                         the program is given back
//   void tidy()                           before each look for ends
//   LocalTime now()                       the moment an end is seen
//   bool canWait()                        whether a thread may wait (what
//                                         wakes it made, once)
//   void cannotWait()                     the thread could not start
//   void wake()                           wakes the thread (no lock needed)
//   void watch(const std::deque<Child>&)  what the next wait is for
//   void wait()                           outside the lock: waits for an
//                                         end, or to be woken
//   kLooksOnTake                          whether take() looks for ends
//                                         itself while the thread waits
template <typename Watch> class TaskFollower {
public:
    using Child = typename Watch::Child;

    explicit TaskFollower(std::size_t bound) : m_bound(bound) {}
    TaskFollower(const TaskFollower&) = delete;
    TaskFollower& operator=(const TaskFollower&) = delete;
    ~TaskFollower()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        if (m_thread.joinable()) {
            m_watch.wake();
            m_thread.join();
        }
        for (Child& child : m_followed) {
            m_watch.release(child);
        }
    }

    // Follows the program; the oldest followed goes past the bound.
    void add(Child child)
    {
        const std::lock_guard lock(m_mutex);
        m_followed.push_back(std::move(child));
        while (m_followed.size() > m_bound) {
            Child& oldest = m_followed.front();
            TaskEnd record{m_watch.task(oldest), 0, 0, {}};
            record.unfollowed = true;
            record.at = m_watch.now();
            m_ends.push_back(std::move(record));
            m_watch.unfollow(oldest);
            m_followed.pop_front();
        }
        startThread();
        if (m_thread.joinable()) {
            m_watch.wake();
        }
    }

    std::vector<TaskEnd> take()
    {
        const std::lock_guard lock(m_mutex);
        if (Watch::kLooksOnTake || !m_thread.joinable()) {
            collect();
        }
        return std::exchange(m_ends, {});
    }

    void setEndHandler(std::function<void()> handler)
    {
        const std::lock_guard lock(m_mutex);
        m_endHandler = std::move(handler);
    }

private:
    // Under the lock.
    void startThread()
    {
        if (m_thread.joinable() || !m_watch.canWait()) {
            return;
        }
        try {
            m_thread = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            m_watch.cannotWait();
        }
    }

    void run()
    {
        for (;;) {
            std::function<void()> tell;
            {
                const std::lock_guard lock(m_mutex);
                if (m_stopping) {
                    return;
                }
                const std::size_t before = m_ends.size();
                collect();
                if (m_ends.size() > before) {
                    tell = m_endHandler;
                }
                m_watch.watch(m_followed);
            }
            if (tell) {
                tell();
            }
            m_watch.wait();
        }
    }

    // Queues the end of every followed program that has ended. Under the
    // lock.
    void collect()
    {
        m_watch.tidy();
        for (auto child = m_followed.begin(); child != m_followed.end();) {
            std::optional<TaskEnd> end = m_watch.ended(*child);
            if (!end) {
                ++child;
                continue;
            }
            end->task = m_watch.task(*child);
            end->at = m_watch.now();
            m_ends.push_back(std::move(*end));
            child = m_followed.erase(child);
        }
    }

    Watch m_watch;
    const std::size_t m_bound;
    std::mutex m_mutex;
    std::deque<Child> m_followed; // oldest first
    std::vector<TaskEnd> m_ends;
    std::function<void()> m_endHandler;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace kumoden
