#pragma once

#include "platform/desktop.h"

#include <QRect>

namespace kumoden {

class QtTrayIcon;

// The taskbar strip: the part of the screen outside its available area;
// where that is the whole screen (no window manager reserves a strip), the
// strip along the screen edge nearest the icon, reaching to the icon's far
// side. All zeros when neither tells.
Rect TaskbarStrip(const QRect& screen, const QRect& available, const QRect& icon);

// The primary screen and the tray the program's icon sits in, in pixels;
// Qt's logical pixels count 15 twips each whatever the screen's density.
class QtDesktop final : public Desktop {
public:
    explicit QtDesktop(const QtTrayIcon& icon);

    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    double screenWidth() const override;
    double screenHeight() const override;
    Rect taskbarRect() const override;
    Rect notificationRect() const override;
    void setForegroundWindow() override;
    void doEvents() override;
    [[noreturn]] void endProcess() override;

private:
    const QtTrayIcon& m_icon;
};

} // namespace kumoden
