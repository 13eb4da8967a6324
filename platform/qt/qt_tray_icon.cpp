#include "platform/qt/qt_tray_icon.h"

#include "platform/qt/artwork.h"
#include "platform/qt/qt_form_support.h"

#include <QGuiApplication>

namespace kumoden {
namespace {

// The mouse messages of the Windows icon, and the twips per pixel they are
// scaled by on their way to the program.
constexpr int kLeftButtonDown = 513;
constexpr int kLeftButtonDoubleClick = 515;
constexpr int kRightButtonDown = 516;
constexpr int kMiddleButtonDown = 519;

int messageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        return kRightButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return kLeftButtonDoubleClick;
    case QSystemTrayIcon::Trigger:
        return kLeftButtonDown;
    case QSystemTrayIcon::MiddleClick:
        return kMiddleButtonDown;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

// The shift argument of a mouse event: 1 shift, 2 control, 4 alt.
int shiftState()
{
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

QtTrayIcon::QtTrayIcon()
{
    m_icon.setIcon(trayIcon());
    // Queued: the program opens menus and modal windows from these events,
    // and the icon's own window may be replaced (tray host restart) while
    // they run; by then Qt's mouse handler has long returned.
    QObject::connect(
        &m_icon, &QSystemTrayIcon::activated, &m_icon,
        [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); }, Qt::QueuedConnection);
}

void QtTrayIcon::setMouseMoveHandler(MouseMoveHandler handler)
{
    m_handler = std::move(handler);
}

bool QtTrayIcon::add(const std::string& tip)
{
    m_icon.setToolTip(QString::fromStdString(tip));
    m_wanted = true;
    m_icon.show();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::remove()
{
    m_wanted = false;
    m_icon.hide();
}

void QtTrayIcon::showNotice(const std::string& title, const std::string& text)
{
    if (m_wanted && m_icon.isVisible()) {
        m_icon.showMessage(QString::fromStdString(title), QString::fromStdString(text),
                           QSystemTrayIcon::Warning);
    }
}

QRect QtTrayIcon::geometry() const
{
    return m_wanted && m_icon.isVisible() ? m_icon.geometry() : QRect();
}

void QtTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    const int message = messageFor(reason);
    if (m_wanted && message != 0 && m_handler) {
        m_handler(0, shiftState(), message * double{kTwipsPerPixel}, 0.0);
    }
}

} // namespace kumoden
