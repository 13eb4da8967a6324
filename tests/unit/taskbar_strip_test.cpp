#include "platform/qt/qt_desktop.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

const QRect screen(0, 0, 1024, 768);

TEST(TaskbarStrip, IsTheEdgeTheWorkAreaLeavesOut)
{
    EXPECT_EQ(TaskbarStrip(screen, QRect(0, 0, 1024, 738), {}), (Rect{0, 738, 1024, 768})); // bottom
    EXPECT_EQ(TaskbarStrip(screen, QRect(0, 30, 1024, 738), {}), (Rect{0, 0, 1024, 30}));   // top
    EXPECT_EQ(TaskbarStrip(screen, QRect(60, 0, 964, 768), {}), (Rect{0, 0, 60, 768}));     // left
    EXPECT_EQ(TaskbarStrip(screen, QRect(0, 0, 964, 768), {}), (Rect{964, 0, 1024, 768}));  // right
}

TEST(TaskbarStrip, WithoutAWorkAreaFollowsTheIcon)
{
    // No window manager: the tray host's icon tells where the bar is.
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect(830, 0, 32, 32)), (Rect{0, 0, 1024, 32}));
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect(990, 740, 24, 24)), (Rect{0, 740, 1024, 768}));
    EXPECT_EQ(TaskbarStrip(screen, screen, QRect()), (Rect{}));
}

} // namespace
} // namespace kumoden
