#pragma once

#include "platform/desktop.h"
#include "platform/forms.h"

namespace kumoden {

// The screen and the taskbar as the shell shows them.
class Win32Desktop final : public Desktop {
public:
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    double screenWidth() const override;
    double screenHeight() const override;
    Rect taskbarRect() const override;
    Rect notificationRect() const override;
    void setForegroundWindow() override;
    void doEvents() override;
    [[noreturn]] void endProcess() override;

    // The window that is brought to the foreground.
    void setWindow(void* window) { m_window = window; }

private:
    void* m_window = nullptr;
};

} // namespace kumoden
