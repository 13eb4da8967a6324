#include "tray/popup_placement.h"

#include <algorithm>
#include <cmath>

namespace kumoden {
namespace {

// Rounds to the nearest whole number, halves to the even neighbour.
std::int64_t roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto whole = static_cast<std::int64_t>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0)) {
        ++whole;
    }
    return whole;
}

bool overlaps(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Rect at(Point topLeft, Size size)
{
    return {topLeft.x, topLeft.y, topLeft.x + size.width, topLeft.y + size.height};
}

Point keptOnScreen(Point p, Size size, const Rect& screen)
{
    p.x = std::max(std::min(p.x, screen.right - size.width), screen.left);
    p.y = std::max(std::min(p.y, screen.bottom - size.height), screen.top);
    return p;
}

} // namespace

PopupPlacement PlacePopup(const Rect& taskbar, const Rect& notification, double screenWidthTwips,
                          double screenHeightTwips, double twipsPerPixelX, double twipsPerPixelY)
{
    const auto sw = static_cast<std::int32_t>(roundHalfEven(screenWidthTwips / twipsPerPixelX));
    const auto sh = static_cast<std::int32_t>(roundHalfEven(screenHeightTwips / twipsPerPixelY));
    const Rect& n = notification;
    if (taskbar.left > 0 || taskbar.top > 0) { // docked at the right or at the bottom
        return {kTpmRightAlign | kTpmVertical, n.right, n.bottom, {n.left, n.top, sw, sh}};
    }
    if (screenWidthTwips / twipsPerPixelX <= taskbar.right) { // at the top: as wide as the screen
        return {kTpmRightAlign | kTpmVertical, n.right, n.top, {n.left, 0, sw, n.bottom}};
    }
    return {kTpmLeftAlign | kTpmVertical, n.left, n.bottom, {0, n.top, n.right, sh}};
}

Point PopupTopLeft(const PopupPlacement& placement, Size menu, const Rect& screen)
{
    Point p{placement.x, placement.y};
    if (placement.flags & kTpmRightAlign) {
        p.x -= menu.width;
    } else if (placement.flags & kTpmCenterAlign) {
        p.x -= menu.width / 2;
    }
    if (placement.flags & kTpmBottomAlign) {
        p.y -= menu.height;
    } else if (placement.flags & kTpmVCenterAlign) {
        p.y -= menu.height / 2;
    }
    p = keptOnScreen(p, menu, screen);

    const Rect& ex = placement.exclude;
    if (!overlaps(at(p, menu), ex)) {
        return p;
    }
    const Point above{p.x, ex.top - menu.height};
    const Point below{p.x, ex.bottom};
    const Point left{ex.left - menu.width, p.y};
    const Point right{ex.right, p.y};
    const bool vertical = placement.flags & kTpmVertical;
    const Point tries[] = {vertical ? above : left, vertical ? below : right, vertical ? left : above,
                           vertical ? right : below};
    for (const Point& candidate : tries) {
        const Rect r = at(candidate, menu);
        if (r.left >= screen.left && r.top >= screen.top && r.right <= screen.right &&
            r.bottom <= screen.bottom) {
            return candidate;
        }
    }
    return p; // no room anywhere: stay on the screen
}

int DecodeIconMessage(double x, double twipsPerPixelX)
{
    const std::int64_t perPixel = roundHalfEven(twipsPerPixelX);
    if (perPixel == 0) {
        return 0;
    }
    return static_cast<int>(roundHalfEven(x) / perPixel);
}

} // namespace kumoden
