#include "platform/win32/system/win32_launcher.h"

#include "platform/win32/system/wide.h"
#include "platform/win32/system/win32_clock.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <windows.h>

namespace kumoden {

// A wait must not see one of its handles closed: handles are closed by the
// thread between its waits, or, without a thread, when ends are asked for.
class Win32Launcher::Follower {
public:
    explicit Follower(std::size_t bound)
        : m_bound(std::min<std::size_t>(bound, MAXIMUM_WAIT_OBJECTS - 1)),
          m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
    {
    }
    Follower(const Follower&) = delete;
    Follower& operator=(const Follower&) = delete;
    ~Follower()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        if (m_thread.joinable()) {
            SetEvent(m_wake);
            m_thread.join();
        }
        closeDropped();
        for (const Child& child : m_followed) {
            CloseHandle(child.process);
        }
        if (m_wake != nullptr) {
            CloseHandle(m_wake);
        }
    }

    void add(HANDLE process, DWORD id)
    {
        const std::lock_guard lock(m_mutex);
        m_followed.push_back({process, id});
        while (m_followed.size() > m_bound) {
            TaskEnd record{m_followed.front().id, 0, 0, {}};
            record.unfollowed = true;
            record.at = Win32Clock().now();
            m_ends.push_back(std::move(record));
            m_dropped.push_back(m_followed.front().process);
            m_followed.pop_front();
        }
        if (!m_thread.joinable() && m_wake != nullptr) {
            try {
                m_thread = std::thread([this] { run(); });
            } catch (const std::system_error&) {
                CloseHandle(m_wake);
                m_wake = nullptr;
            }
        }
        if (m_thread.joinable()) {
            SetEvent(m_wake);
        }
    }

    std::vector<TaskEnd> take()
    {
        const std::lock_guard lock(m_mutex);
        if (!m_thread.joinable()) {
            closeDropped();
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
    struct Child {
        HANDLE process;
        DWORD id;
    };

    void run()
    {
        std::vector<HANDLE> handles;
        for (;;) {
            std::function<void()> tell;
            {
                const std::lock_guard lock(m_mutex);
                if (m_stopping) {
                    return;
                }
                closeDropped();
                const std::size_t before = m_ends.size();
                collect();
                if (m_ends.size() > before) {
                    tell = m_endHandler;
                }
                handles.assign(1, m_wake);
                for (const Child& child : m_followed) {
                    handles.push_back(child.process);
                }
            }
            if (tell) {
                tell();
            }
            WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
        }
    }

    // Queues the end of every program that has ended. Under the lock.
    void collect()
    {
        for (auto child = m_followed.begin(); child != m_followed.end();) {
            if (WaitForSingleObject(child->process, 0) != WAIT_OBJECT_0) {
                ++child;
                continue;
            }
            DWORD code = 0;
            GetExitCodeProcess(child->process, &code);
            CloseHandle(child->process);
            TaskEnd end{child->id, static_cast<int>(code), 0, {}};
            end.at = Win32Clock().now();
            m_ends.push_back(std::move(end));
            child = m_followed.erase(child);
        }
    }

    void closeDropped()
    {
        for (const HANDLE process : m_dropped) {
            CloseHandle(process);
        }
        m_dropped.clear();
    }

    const std::size_t m_bound;
    HANDLE m_wake;
    std::mutex m_mutex;
    std::deque<Child> m_followed;  // oldest first
    std::vector<HANDLE> m_dropped; // no longer followed, still to be closed
    std::vector<TaskEnd> m_ends;
    std::function<void()> m_endHandler;
    bool m_stopping = false;
    std::thread m_thread;
};

Win32Launcher::Win32Launcher(std::size_t followAtMost) : m_follower(std::make_unique<Follower>(followAtMost))
{
}

Win32Launcher::~Win32Launcher() = default;

std::uint64_t Win32Launcher::launch(const LaunchRequest& request)
{
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring commandLine = ToWide(request.commandLine);
    if (commandLine.empty()) {
        return 0;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0;
    }
    CloseHandle(process.hThread);
    m_follower->add(process.hProcess, process.dwProcessId);
    return process.dwProcessId;
}

std::vector<TaskEnd> Win32Launcher::takeEnded()
{
    return m_follower->take();
}

void Win32Launcher::setEndHandler(std::function<void()> handler)
{
    m_follower->setEndHandler(std::move(handler));
}

} // namespace kumoden
