#pragma once

#include "platform/tray_icon.h"

#include <QRect>
#include <QSystemTrayIcon>

namespace kumoden {

// The icon in the notification area (XEmbed tray on X11). Its clicks
// reach the program as the mouse messages the Windows icon sends. Qt docks
// the icon again by itself when a tray host starts or restarts later.
class QtTrayIcon final : public TrayIcon {
public:
    QtTrayIcon();

    void setMouseMoveHandler(MouseMoveHandler handler) override;
    bool add(const std::string& tip) override;
    void remove() override;
    void showNotice(const std::string& title, const std::string& text) override;

    // Where the icon is on the screen; empty while it is not shown.
    QRect geometry() const;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_icon;
    MouseMoveHandler m_handler;
    bool m_wanted = false;
};

} // namespace kumoden
