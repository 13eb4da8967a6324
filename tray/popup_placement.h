#pragma once

#include "platform/geometry.h"

namespace kumoden {

// Picks the placement of the icon's menu from the taskbar's and the
// notification area's rectangles (all zeros when not found) and the
// screen's size in twips, for a taskbar docked at the right, bottom, top or
// left: beside the notification area, never over it.
PopupPlacement PlacePopup(const Rect& taskbar, const Rect& notification, double screenWidthTwips,
                          double screenHeightTwips, double twipsPerPixelX, double twipsPerPixelY);

} // namespace kumoden
