#include "platform/win32/system/win32_launcher.h"

#include "platform/common/task_follower.h"
#include "platform/win32/system/wide.h"
#include "platform/win32/system/win32_clock.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>
#include <windows.h>

namespace kumoden {

namespace {

// Follows programs by their process handles, with an event that wakes the
// thread waiting for them. A wait must not see one of its handles closed:
// handles are closed by the thread between its waits, or, without a thread,
// when ends are asked for.
class ProcessWatch {
public:
    struct Child {
        HANDLE process;
        DWORD id;
    };
    static constexpr bool kLooksOnTake = false;

    ProcessWatch() : m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;
    ~ProcessWatch()
    {
        tidy();
        if (m_wake != nullptr) {
            CloseHandle(m_wake);
        }
    }

    std::uint64_t task(const Child& child) const { return child.id; }
    LocalTime now() const { return Win32Clock().now(); }

    std::optional<TaskEnd> ended(Child& child)
    {
        if (WaitForSingleObject(child.process, 0) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        GetExitCodeProcess(child.process, &code);
        release(child);
        return TaskEnd{0, static_cast<int>(code), 0, {}};
    }

    void unfollow(Child& child) { m_dropped.push_back(child.process); }
    void release(Child& child) { CloseHandle(child.process); }

    // Closes the handles of the programs given up.
    void tidy()
    {
        for (const HANDLE process : m_dropped) {
            CloseHandle(process);
        }
        m_dropped.clear();
    }

    bool canWait() const { return m_wake != nullptr; }

    void cannotWait()
    {
        CloseHandle(m_wake);
        m_wake = nullptr;
    }

    void wake() { SetEvent(m_wake); }

    void watch(const std::deque<Child>& followed)
    {
        m_handles.assign(1, m_wake);
        for (const Child& child : followed) {
            m_handles.push_back(child.process);
        }
    }

    void wait()
    {
        WaitForMultipleObjects(static_cast<DWORD>(m_handles.size()), m_handles.data(), FALSE, INFINITE);
    }

private:
    HANDLE m_wake;
    std::vector<HANDLE> m_dropped; // no longer followed, still to be closed
    std::vector<HANDLE> m_handles;
};

} // namespace

class Win32Launcher::Follower : public TaskFollower<ProcessWatch> {
public:
    explicit Follower(std::size_t bound)
        : TaskFollower(std::min<std::size_t>(bound, MAXIMUM_WAIT_OBJECTS - 1))
    {
    }
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
    m_follower->add({process.hProcess, process.dwProcessId});
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
