#pragma once

#include "platform/desktop.h"
#include "platform/forms.h"
#include "platform/tray_icon.h"

namespace kumoden {

// The screen and the taskbar as the shell shows them.
class Win32Desktop final : public Desktop {
public:
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    double screenWidth() const override;
    double screenHeight() const override;
    Rect taskbarRect() const override;
    Rect notificationRect() const override;
    void setForegroundWindow() override;
    void doEvents() override;
    [[noreturn]] void endProcess() override;

    // The window that is brought to the foreground.
    void setWindow(void* window) { m_window = window; }

private:
    void* m_window = nullptr;
};

// The Windows program has no notification-area icon yet: the icon, its menu
// and the printer dialog come with the Windows user interface. Until then
// add() says there is no notification area, so no icon event ever arrives
// and the menu and its windows are never asked for.
class Win32NoTrayYet final : public TrayIcon, public PopupMenuView, public PrinterSetupDialog {
public:
    void setMouseMoveHandler(MouseMoveHandler) override {}
    bool add(const std::string&) override { return false; }
    void remove() override {}
    // No icon to speak from yet: the log has what would be shown.
    void showNotice(const std::string&, const std::string&) override {}
    void setEntries(const std::vector<MenuEntry>&) override {}
    void setDefaultEntry(int) override {}
    Size size() override { return {}; }
    int track(Point) override { return -1; }
    void showPrinter() override {}
};

} // namespace kumoden
