#pragma once

#include "platform/forms.h"

#include <functional>
#include <string>
#include <vector>

namespace kumoden {

// What the user asked of the icon, whatever the notification area's way of
// telling it.
enum class TrayAction {
    // The icon's menu is asked for (the right button) from a host that
    // leaves the menu to the program.
    Context,
    // One press of the primary button, on a host that also tells
    // double-clicks apart: nothing is meant by it.
    PrimaryClick,
    // The icon's own action: a double-click, or the activation of a host
    // that has no double-click (the D-Bus trays send only that).
    Activate,
};

// The program's icon in the notification area.
class TrayIcon {
public:
    using ActionHandler = std::function<void(TrayAction)>;
    using MenuHandler = std::function<void(int position)>;

    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    virtual ~TrayIcon() = default;

    virtual void setActionHandler(ActionHandler handler) = 0;
    // The icon's menu, for a host that draws and places it itself (the
    // D-Bus trays): the host shows these entries at the icon and the chosen
    // one's position reaches the handler. A host that leaves the menu to
    // the program (XEmbed, Windows) keeps none of it and sends Context.
    virtual void setHostMenu(const std::vector<MenuEntry>& entries, MenuHandler chosen) = 0;
    // Shows the icon with its tip; false when there is no notification area
    // to show it in (a backend may show it once one appears).
    virtual bool add(const std::string& tip) = 0;
    virtual void remove() = 0;
    // Tells the user something from the icon (the platform's balloon). Shown
    // only while the icon is; what is not shown is still in the log.
    virtual void showNotice(const std::string& title, const std::string& text) = 0;
};

} // namespace kumoden
