#pragma once

#include "platform/desktop.h"
#include "platform/tray_icon.h"

#include <cstdint>
#include <string>

namespace kumoden {

// The message the notification area sends the resident window for the
// icon; its lParam is the mouse message.
inline constexpr std::uint32_t kTrayCallbackMessage = 0x8000 + 0x10; // WM_APP + 0x10
// The icon's resource in the program (and its number within the window).
inline constexpr int kProgramIconId = 1;

// The program's icon in the notification area (Shell_NotifyIconW), owned by
// the resident window. The window passes its messages through
// handleMessage(): the icon's callback becomes the mouse-move event of
// TrayIcon, and the taskbar's "TaskbarCreated" (Explorer started again)
// brings the icon back.
class Win32TrayIcon final : public TrayIcon {
public:
    // desktop: the screen's twips per pixel, which the event's x carries.
    explicit Win32TrayIcon(const Desktop& desktop);
    ~Win32TrayIcon() override;

    // The resident window, before add().
    void setWindow(void* window) { m_window = window; }

    void setMouseMoveHandler(MouseMoveHandler handler) override;
    bool add(const std::string& tip) override;
    void remove() override;
    void showNotice(const std::string& title, const std::string& text) override;

    // True when the message was the icon's and has been handled.
    bool handleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    // Whether the notification area shows the icon now.
    bool shown() const { return m_shown; }

private:
    bool notify(std::uint32_t command, std::uint32_t flags, const std::wstring& title = {},
                const std::wstring& text = {});
    void readd();

    const Desktop& m_desktop;
    void* m_window = nullptr;
    void* m_icon = nullptr;
    std::uint32_t m_taskbarCreated = 0;
    MouseMoveHandler m_handler;
    std::wstring m_tip;
    // The program wants the icon (from add() until remove()).
    bool m_wanted = false;
    bool m_shown = false;
};

} // namespace kumoden
