#include "platform/linux/qt/qt_desktop.h"

#include "platform/linux/qt/qt_form_support.h"
#include "platform/linux/qt/qt_tray_icon.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace kumoden {
namespace {

Rect toRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect primaryGeometry(bool available)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    return available ? screen->availableGeometry() : screen->geometry();
}

} // namespace

Rect TaskbarStrip(const QRect& screen, const QRect& available, const QRect& icon)
{
    if (screen.isEmpty()) {
        return {};
    }
    const Rect s = toRect(screen);
    if (!available.isEmpty() && available != screen) {
        const Rect a = toRect(available);
        const Rect strips[] = {
            {s.left, s.top, s.right, a.top},       // top
            {s.left, a.bottom, s.right, s.bottom}, // bottom
            {s.left, s.top, a.left, s.bottom},     // left
            {a.right, s.top, s.right, s.bottom},   // right
        };
        const Rect* found = nullptr;
        for (const Rect& strip : strips) {
            if (strip.right <= strip.left || strip.bottom <= strip.top) {
                continue;
            }
            // Several panels: the one holding the icon is the taskbar.
            const QRect area(strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top);
            if (found == nullptr || (!icon.isEmpty() && area.contains(icon.center()))) {
                found = &strip;
            }
        }
        if (found != nullptr) {
            return *found;
        }
    }
    if (icon.isEmpty()) {
        return {};
    }
    const Rect i = toRect(icon);
    const int toTop = i.top - s.top;
    const int toBottom = s.bottom - i.bottom;
    const int toLeft = i.left - s.left;
    const int toRight = s.right - i.right;
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});
    if (nearest == toTop) {
        return {s.left, s.top, s.right, std::min(i.bottom, s.bottom)};
    }
    if (nearest == toBottom) {
        return {s.left, std::max(i.top, s.top), s.right, s.bottom};
    }
    if (nearest == toLeft) {
        return {s.left, s.top, std::min(i.right, s.right), s.bottom};
    }
    return {std::max(i.left, s.left), s.top, s.right, s.bottom};
}

QtDesktop::QtDesktop(const QtTrayIcon& icon) : m_icon(icon) {}

double QtDesktop::twipsPerPixelX() const
{
    return kTwipsPerPixel;
}

double QtDesktop::twipsPerPixelY() const
{
    return kTwipsPerPixel;
}

double QtDesktop::screenWidth() const
{
    return primaryGeometry(false).width() * kTwipsPerPixel;
}

double QtDesktop::screenHeight() const
{
    return primaryGeometry(false).height() * kTwipsPerPixel;
}

Rect QtDesktop::taskbarRect() const
{
    return TaskbarStrip(primaryGeometry(false), primaryGeometry(true), m_icon.geometry());
}

Rect QtDesktop::notificationRect() const
{
    // A tray host that does not tell where the icon is (a D-Bus tray asking
    // the program for its menu): the click was at the pointer.
    const QRect icon = m_icon.geometry();
    return icon.isEmpty() ? toRect(QRect(QCursor::pos(), QSize(1, 1))) : toRect(icon);
}

void QtDesktop::setForegroundWindow()
{
    // Nothing to do here: the menu grabs the pointer and the keyboard while
    // it is open, so a click elsewhere closes it as it should.
}

void QtDesktop::doEvents()
{
    QCoreApplication::processEvents();
}

void QtDesktop::endProcess()
{
    // No event is handled here: a tick or a click waiting in the queue would
    // run the program's code after the exit. Only the requests already made
    // (the icon's window destroyed) are sent, so that the tray host sees the
    // icon leave in order rather than find its window dead. The X connection
    // exists only on the xcb platform; a D-Bus item was withdrawn by the
    // blocking calls of the icon's removal.
    if (qGuiApp != nullptr && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            if (xcb_connection_t* connection = x11->connection(); connection != nullptr) {
                xcb_flush(connection);
            }
        }
    }
    std::_Exit(0);
}

} // namespace kumoden
