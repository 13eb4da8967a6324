#pragma once

#include <cstdint>

namespace kumoden {

// A rectangle in screen pixels, right and bottom exclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// How a popup menu sits against its anchor (the flags of TrackPopupMenuEx).
inline constexpr std::uint32_t kTpmLeftAlign = 0x0000;
inline constexpr std::uint32_t kTpmCenterAlign = 0x0004;
inline constexpr std::uint32_t kTpmRightAlign = 0x0008;
inline constexpr std::uint32_t kTpmVCenterAlign = 0x0010;
inline constexpr std::uint32_t kTpmBottomAlign = 0x0020;
inline constexpr std::uint32_t kTpmVertical = 0x0040;

// Where a popup menu goes: the anchor point, how the menu is aligned to it,
// and the rectangle it must not cover (moved off vertically first when the
// flags hold kTpmVertical).
struct PopupPlacement {
    std::uint32_t flags = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    Rect exclude;

    friend bool operator==(const PopupPlacement&, const PopupPlacement&) = default;
};

} // namespace kumoden
