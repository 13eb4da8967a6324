#include "platform/linux/qt/qt_tray_icon.h"

#include "platform/linux/qt/artwork.h"

#include <QDBusConnection>
#include <QDBusInterface>

#include <optional>

namespace kumoden {

bool DBusTrayHostRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool();
}

namespace {

std::optional<TrayAction> actionFor(QSystemTrayIcon::ActivationReason reason, bool hostDrawsMenu)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        // A D-Bus host asks for it only when it draws no menu of its own.
        return TrayAction::Context;
    case QSystemTrayIcon::DoubleClick:
        return TrayAction::Activate;
    case QSystemTrayIcon::Trigger:
        // A D-Bus host's left button sends Activate and never a double-click.
        return hostDrawsMenu ? TrayAction::Activate : TrayAction::PrimaryClick;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return std::nullopt;
}

} // namespace

QtTrayIcon::QtTrayIcon() : m_hostDrawsMenu(DBusTrayHostRegistered())
{
    m_icon.setIcon(trayIcon());
    // Queued: the program opens menus and modal windows from these events,
    // and the icon's own window may be replaced (tray host restart) while
    // they run; by then Qt's mouse or D-Bus handler has long returned.
    QObject::connect(
        &m_icon, &QSystemTrayIcon::activated, &m_icon,
        [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); }, Qt::QueuedConnection);
}

void QtTrayIcon::setActionHandler(ActionHandler handler)
{
    m_handler = std::move(handler);
}

void QtTrayIcon::setHostMenu(const std::vector<MenuEntry>& entries, MenuHandler chosen)
{
    // An XEmbed icon with a context menu would pop it up itself, at the
    // pointer and beside the program's own placement.
    if (!m_hostDrawsMenu) {
        return;
    }
    m_hostMenu.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].isSeparator()) {
            m_hostMenu.addSeparator();
            continue;
        }
        QAction* action = m_hostMenu.addAction(QString::fromStdString(entries[i].caption));
        const int position = static_cast<int>(i);
        QObject::connect(
            action, &QAction::triggered, &m_hostMenu,
            [this, chosen, position] {
                if (m_wanted) {
                    chosen(position);
                }
            },
            Qt::QueuedConnection);
    }
    m_icon.setContextMenu(&m_hostMenu);
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
    const std::optional<TrayAction> action = actionFor(reason, m_hostDrawsMenu);
    if (m_wanted && action && m_handler) {
        m_handler(*action);
    }
}

} // namespace kumoden
