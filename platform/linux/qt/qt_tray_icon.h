#pragma once

#include "platform/tray_icon.h"

#include <QMenu>
#include <QRect>
#include <QSystemTrayIcon>

#include <vector>

namespace kumoden {

// Whether a tray host is registered with a StatusNotifierWatcher on the
// session bus: Qt then makes the icon a D-Bus tray item (the host draws it
// and its menu), else an XEmbed icon in an X tray.
bool DBusTrayHostRegistered();

// The icon in the notification area. Under a D-Bus tray (KDE, XFCE's
// panel, GNOME's AppIndicator, waybar) the host draws the menu given by
// setHostMenu at the icon and reports activation; under an XEmbed tray the
// right button asks the program for its menu and double-clicks are told
// apart. Qt docks the icon again by itself when a tray host restarts.
class QtTrayIcon final : public TrayIcon {
public:
    QtTrayIcon();

    void setActionHandler(ActionHandler handler) override;
    void setHostMenu(const std::vector<MenuEntry>& entries, MenuHandler chosen) override;
    bool add(const std::string& tip) override;
    void remove() override;
    void showNotice(const std::string& title, const std::string& text) override;

    // Where the icon is on the screen; empty while it is not shown, and
    // under a D-Bus tray, whose host does not tell.
    QRect geometry() const;
    bool hostDrawsMenu() const { return m_hostDrawsMenu; }

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    // Decided when the icon is made, as Qt decides it.
    const bool m_hostDrawsMenu;
    QSystemTrayIcon m_icon;
    QMenu m_hostMenu;
    ActionHandler m_handler;
    bool m_wanted = false;
};

} // namespace kumoden
