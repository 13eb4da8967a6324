#include "platform/win32/system/win32_clock.h"

#include "platform/win32/files/file_time.h"

#include <windows.h>

#include <algorithm>

namespace kumoden {

LocalTime Win32Clock::now() const
{
    FILETIME utc{};
    GetSystemTimePreciseAsFileTime(&utc);
    if (const auto local = FileTimeToLocal(utc)) {
        return *local;
    }
    // Only a clock set beyond the year 2262 gets here.
    return LocalTime::max();
}

void Win32Sleeper::sleep(std::chrono::milliseconds duration)
{
    if (m_stopped || duration <= std::chrono::milliseconds::zero()) {
        return;
    }
    struct Waiting {
        bool& flag;
        explicit Waiting(bool& waiting) : flag(waiting) { flag = true; }
        ~Waiting() { flag = false; }
    } waiting(m_waiting);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(duration.count());
    while (!m_stopped) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return;
        }
        // All bits set would mean "for ever": long waits go in steps.
        const DWORD left = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 0x7FFFFFFE));
        const DWORD woken = MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_POSTMESSAGE | QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0) {
            lookAtMessages();
        } else if (woken == WAIT_FAILED) {
            Sleep(left);
        }
    }
}

bool Win32Sleeper::stopRequested()
{
    if (!m_stopped) {
        lookAtMessages();
    }
    return m_stopped;
}

void Win32Sleeper::lookAtMessages()
{
    MSG message{};
    // Peeking for sent messages handles them; posted ones stay queued.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (PeekMessageW(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE | PM_QS_POSTMESSAGE)) {
        m_stopped = true;
    }
    // The messages seen so far no longer wake the wait.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_POSTMESSAGE);
}

} // namespace kumoden
