#pragma once

#include <functional>
#include <string>

namespace kumoden {

// The program's icon in the notification area.
//
// Its mouse messages reach the program the way the notification area
// delivers them to the icon's picture box: as a mouse-move event whose x
// (in twips) is the mouse message number times the twips per pixel, so
// 516 * 15 for a right-button press at 96 dots per inch.
class TrayIcon {
public:
    using MouseMoveHandler = std::function<void(int button, int shift, double x, double y)>;

    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    virtual ~TrayIcon() = default;

    virtual void setMouseMoveHandler(MouseMoveHandler handler) = 0;
    // Shows the icon with its tip; false when there is no notification area
    // to show it in (a backend may show it once one appears).
    virtual bool add(const std::string& tip) = 0;
    virtual void remove() = 0;
    // Tells the user something from the icon (the platform's balloon). Shown
    // only while the icon is; what is not shown is still in the log.
    virtual void showNotice(const std::string& title, const std::string& text) = 0;
};

} // namespace kumoden
