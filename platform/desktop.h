#pragma once

#include "platform/geometry.h"

namespace kumoden {

// The screen, the taskbar and the running program's hold on the desktop.
class Desktop {
public:
    Desktop() = default;
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;
    virtual ~Desktop() = default;

    // Twips per pixel (15 at 96 dots per inch) and the primary screen's
    // size in twips.
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
    virtual double screenWidth() const = 0;
    virtual double screenHeight() const = 0;

    // The taskbar's and its notification area's screen rectangles; all
    // zeros when there is none.
    virtual Rect taskbarRect() const = 0;
    virtual Rect notificationRect() const = 0;

    // Brings the program to the foreground, so that a menu it shows closes
    // when the user clicks elsewhere.
    virtual void setForegroundWindow() = 0;
    // Handles the events waiting for this thread, once.
    virtual void doEvents() = 0;
    // Ends the process at once: nothing more of the program runs.
    [[noreturn]] virtual void endProcess() = 0;
};

} // namespace kumoden
