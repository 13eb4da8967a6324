#pragma once

#include "platform/geometry.h"

#include <cstdint>

namespace kumoden {

// TrackPopupMenuEx flags the placement uses.
inline constexpr std::uint32_t kTpmLeftAlign = 0x0000;
inline constexpr std::uint32_t kTpmCenterAlign = 0x0004;
inline constexpr std::uint32_t kTpmRightAlign = 0x0008;
inline constexpr std::uint32_t kTpmVCenterAlign = 0x0010;
inline constexpr std::uint32_t kTpmBottomAlign = 0x0020;
inline constexpr std::uint32_t kTpmVertical = 0x0040;

// Where the icon's menu goes: the anchor point, how the menu sits against
// it, and the rectangle it must not cover (the notification area's side of
// the taskbar).
struct PopupPlacement {
    std::uint32_t flags = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    Rect exclude;

    friend bool operator==(const PopupPlacement&, const PopupPlacement&) = default;
};

// Picks the placement from the taskbar's and the notification area's
// rectangles (all zeros when not found) and the screen's size in twips,
// for a taskbar docked at the right, bottom, top or left.
PopupPlacement PlacePopup(const Rect& taskbar, const Rect& notification, double screenWidthTwips,
                          double screenHeightTwips, double twipsPerPixelX, double twipsPerPixelY);

// Where a menu of the given size ends up, as TrackPopupMenuEx puts it:
// aligned to the anchor by the flags, kept on the screen, and moved off the
// excluded rectangle (vertically first when the flags ask for it).
Point PopupTopLeft(const PopupPlacement& placement, Size menu, const Rect& screen);

// The mouse message carried in the icon's mouse-move x (twips): both
// rounded to whole numbers, halves to even, then divided without remainder.
int DecodeIconMessage(double x, double twipsPerPixelX);

} // namespace kumoden
