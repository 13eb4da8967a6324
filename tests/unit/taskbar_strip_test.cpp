#include "platform/linux/qt/qt_desktop.h"
#include "platform/linux/qt/qt_popup_menu.h"
#include "tray/popup_placement.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kumoden {
namespace {

const QRect screen(0, 0, 1024, 768);
const Rect screenRect{0, 0, 1024, 768};

Point placedMenu(const Rect& taskbar, const Rect& notification, const PopupPlacement& placement)
{
    EXPECT_EQ(PlacePopup(taskbar, notification, 1024 * 15, 768 * 15, 15, 15), placement);
    return PopupTopLeft(placement, {180, 120}, screenRect);
}

// From the work area a window manager leaves on a 1024 × 768 screen to where
// a 180 × 120 menu ends up: the strip left out, the placement beside the
// notification area (the rectangle the menu keeps off), the menu's top left.
TEST(PopupTopLeft, TheMenuEndsUpBesideTheNotificationAreaOfTheTaskbarTheWorkAreaLeavesOut)
{
    const std::tuple<QRect, Rect, PopupPlacement, Point> edges[] = {
        // Bottom: right edge at the screen's right, just above the taskbar.
        {{0, 0, 1024, 738}, {0, 738, 1024, 768}, {72, 1024, 768, {900, 738, 1024, 768}}, {844, 618}},
        // Top: below the taskbar.
        {{0, 30, 1024, 738}, {0, 0, 1024, 30}, {72, 1024, 0, {900, 0, 1024, 30}}, {844, 30}},
        // Left: beside the taskbar, above the notification area.
        {{60, 0, 964, 768}, {0, 0, 60, 768}, {64, 0, 768, {0, 700, 60, 768}}, {0, 580}},
        // Right: above the notification area.
        {{0, 0, 964, 768}, {964, 0, 1024, 768}, {72, 1024, 768, {964, 700, 1024, 768}}, {844, 580}},
    };
    for (int row = 0; const auto& [available, taskbar, placement, topLeft] : edges) {
        SCOPED_TRACE(row++);
        EXPECT_EQ(TaskbarStrip(screen, available, {}), taskbar);
        EXPECT_EQ(placedMenu(taskbar, placement.exclude, placement), topLeft);
    }
    // Nothing found: at the screen's origin.
    EXPECT_EQ(TaskbarStrip(screen, screen, {}), Rect{});
    EXPECT_EQ(placedMenu({}, {}, {64, 0, 0, {0, 0, 0, 768}}), (Point{0, 0}));
    // A menu taller than the room above and below stays on the screen.
    EXPECT_EQ(PopupTopLeft({72, 1024, 768, {900, 100, 1024, 700}}, {180, 700}, screenRect), (Point{720, 68}));
}

// No window manager: the tray host's icon tells where the bar is.
TEST(TaskbarStrip, WithoutAWorkAreaFollowsTheIcon)
{
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect(830, 0, 32, 32)), (Rect{0, 0, 1024, 32}));
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect(990, 740, 24, 24)), (Rect{0, 740, 1024, 768}));
}

} // namespace
} // namespace kumoden
