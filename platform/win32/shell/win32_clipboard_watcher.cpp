#include "platform/win32/shell/win32_clipboard_watcher.h"

#include <windows.h>

namespace kumoden {

Win32ClipboardWatcher::~Win32ClipboardWatcher()
{
    stop();
}

bool Win32ClipboardWatcher::watch(ChangeHandler changed)
{
    m_changed = std::move(changed);
    if (m_watching) {
        // Joining twice would make the window its own next viewer.
        return true;
    }
    if (m_window == nullptr) {
        return false;
    }
    // Joining sends the window a notice at once. It tells of no change, and
    // the next viewer is not known before the call returns: it is left
    // alone.
    const auto window = static_cast<HWND>(m_window);
    const HWND next = SetClipboardViewer(window);
    // Its result is 0 both for "no other viewer" and for a refusal.
    if (GetClipboardViewer() != window) {
        return false;
    }
    m_next = next;
    m_watching = true;
    return true;
}

void Win32ClipboardWatcher::stop()
{
    if (!m_watching) {
        return;
    }
    m_watching = false;
    // The viewers behind this one would hear of no change again otherwise.
    ChangeClipboardChain(static_cast<HWND>(m_window), static_cast<HWND>(m_next));
}

void Win32ClipboardWatcher::handleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!m_watching) {
        return;
    }
    if (message == WM_DRAWCLIPBOARD) {
        // A copy: the handler may stop the watch (the exit command run from
        // inside a hard copy) and so replace what it is called through.
        const ChangeHandler changed = m_changed;
        try {
            if (changed) {
                changed();
            }
        } catch (...) {
            // Nothing may be thrown across the system's frames, and the
            // viewers behind this one still hear of the change.
        }
        // Also when the handler left the chain: this notice was already on
        // its way along it.
        if (m_next != nullptr) {
            SendMessageW(static_cast<HWND>(m_next), WM_DRAWCLIPBOARD, wParam, lParam);
        }
    } else if (message == WM_CHANGECBCHAIN) {
        const auto leaving = reinterpret_cast<HWND>(wParam);
        if (leaving == m_next) {
            m_next = reinterpret_cast<HWND>(lParam);
        } else if (m_next != nullptr) {
            SendMessageW(static_cast<HWND>(m_next), WM_CHANGECBCHAIN, wParam, lParam);
        }
    }
}

} // namespace kumoden
