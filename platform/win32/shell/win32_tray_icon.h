#pragma once

#include "platform/tray_icon.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kumoden {

// The message the notification area sends the icon's window; its lParam is
// the mouse message.
inline constexpr std::uint32_t kTrayCallbackMessage = 0x8000 + 0x10; // WM_APP + 0x10
// The icon's resource in the program.
inline constexpr int kProgramIconId = 1;
// The class of the icon's own window.
inline constexpr const wchar_t* kTrayWindowClass = L"KumodenTrayIcon";

// What a mouse message of the icon means; nothing for moves, releases and
// the rest.
std::optional<TrayAction> TrayActionOf(std::uint32_t mouseMessage);

// The program's icon in the notification area (Shell_NotifyIconW). Its
// messages go to a hidden top-level window of its own: the resident
// window, which is in the clipboard-viewer chain, never sees them, and a
// top-level window hears the taskbar's "TaskbarCreated" broadcast (Explorer
// started again), which brings the icon back.
class Win32TrayIcon final : public TrayIcon {
public:
    Win32TrayIcon();
    ~Win32TrayIcon() override;

    void setActionHandler(ActionHandler handler) override;
    // Windows leaves the menu to the program: nothing is kept.
    void setHostMenu(const std::vector<MenuEntry>&, MenuHandler) override {}
    bool add(const std::string& tip) override;
    void remove() override;
    void showNotice(const std::string& title, const std::string& text) override;

    // The window the notification area sends the icon's messages to.
    void* window() const { return m_window; }
    // Whether the notification area shows the icon now.
    bool shown() const { return m_shown; }
    // What the icon's window does with a message; false for those that are
    // not the icon's.
    bool handleMessage(std::uint32_t message, std::intptr_t lParam);

private:
    bool notify(std::uint32_t command, std::uint32_t flags, const std::wstring& title = {},
                const std::wstring& text = {});
    void readd();

    void* m_window = nullptr;
    void* m_icon = nullptr;
    std::uint32_t m_taskbarCreated = 0;
    ActionHandler m_handler;
    std::wstring m_tip;
    // The program wants the icon (from add() until remove()).
    bool m_wanted = false;
    bool m_shown = false;
};

} // namespace kumoden
