#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_popup_menu.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

const QRect screen(0, 0, 1024, 768);

// The menu placed as TrackPopupMenuEx places it, for the placements of a
// 1024 × 768 screen.
TEST(PopupTopLeft, TheMenuEndsUpBesideTheNotificationArea)
{
    const Rect screen{0, 0, 1024, 768};
    const Size menu{180, 120};
    // Bottom: right edge at the screen's right, just above the taskbar.
    EXPECT_EQ(PopupTopLeft({72, 1024, 768, {900, 738, 1024, 768}}, menu, screen), (Point{844, 618}));
    // Top: below the taskbar.
    EXPECT_EQ(PopupTopLeft({72, 1024, 0, {900, 0, 1024, 30}}, menu, screen), (Point{844, 30}));
    // Left: beside the taskbar, above the notification area.
    EXPECT_EQ(PopupTopLeft({64, 0, 768, {0, 700, 60, 768}}, menu, screen), (Point{0, 580}));
    // Right: above the notification area.
    EXPECT_EQ(PopupTopLeft({72, 1024, 768, {964, 700, 1024, 768}}, menu, screen), (Point{844, 580}));
    // Nothing found: at the screen's origin.
    EXPECT_EQ(PopupTopLeft({64, 0, 0, {0, 0, 0, 768}}, menu, screen), (Point{0, 0}));
    // A menu taller than the room above and below stays on the screen.
    EXPECT_EQ(PopupTopLeft({72, 1024, 768, {900, 100, 1024, 700}}, {180, 700}, screen), (Point{720, 68}));
}

TEST(TaskbarStrip, IsTheEdgeTheWorkAreaLeavesOutOrWithoutOneFollowsTheIcon)
{
    EXPECT_EQ(TaskbarStrip(screen, QRect(0, 0, 1024, 738), {}), (Rect{0, 738, 1024, 768})); // bottom
    EXPECT_EQ(TaskbarStrip(screen, QRect(0, 30, 1024, 738), {}), (Rect{0, 0, 1024, 30}));   // top
    EXPECT_EQ(TaskbarStrip(screen, QRect(60, 0, 964, 768), {}), (Rect{0, 0, 60, 768}));     // left
    EXPECT_EQ(TaskbarStrip(screen, QRect(0, 0, 964, 768), {}), (Rect{964, 0, 1024, 768}));  // right
    // No window manager: the tray host's icon tells where the bar is.
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect(830, 0, 32, 32)), (Rect{0, 0, 1024, 32}));
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect(990, 740, 24, 24)), (Rect{0, 740, 1024, 768}));
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect()), (Rect{}));
}

} // namespace
} // namespace kumoden
