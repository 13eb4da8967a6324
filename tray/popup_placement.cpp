#include "tray/popup_placement.h"

#include "model/rounding.h"

namespace kumoden {

PopupPlacement PlacePopup(const Rect& taskbar, const Rect& notification, double screenWidthTwips,
                          double screenHeightTwips, double twipsPerPixelX, double twipsPerPixelY)
{
    const auto sw = static_cast<std::int32_t>(RoundHalfEven(screenWidthTwips / twipsPerPixelX));
    const auto sh = static_cast<std::int32_t>(RoundHalfEven(screenHeightTwips / twipsPerPixelY));
    const Rect& n = notification;
    if (taskbar.left > 0 || taskbar.top > 0) { // docked at the right or at the bottom
        return {kTpmRightAlign | kTpmVertical, n.right, n.bottom, {n.left, n.top, sw, sh}};
    }
    if (screenWidthTwips / twipsPerPixelX <= taskbar.right) { // at the top: as wide as the screen
        return {kTpmRightAlign | kTpmVertical, n.right, n.top, {n.left, 0, sw, n.bottom}};
    }
    return {kTpmLeftAlign | kTpmVertical, n.left, n.bottom, {0, n.top, n.right, sh}};
}

} // namespace kumoden
