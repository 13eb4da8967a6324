#include "platform/linux/qt/qt_popup_menu.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace kumoden {
namespace {

bool overlaps(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Rect at(Point topLeft, Size size)
{
    return {topLeft.x, topLeft.y, topLeft.x + size.width, topLeft.y + size.height};
}

Point keptOnScreen(Point p, Size size, const Rect& screen)
{
    p.x = std::max(std::min(p.x, screen.right - size.width), screen.left);
    p.y = std::max(std::min(p.y, screen.bottom - size.height), screen.top);
    return p;
}

Rect screenAt(Point anchor)
{
    const QScreen* screen = QGuiApplication::screenAt(QPoint(anchor.x, anchor.y));
    screen = screen != nullptr ? screen : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const QRect r = screen->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

} // namespace

Point PopupTopLeft(const PopupPlacement& placement, Size menu, const Rect& screen)
{
    Point p{placement.x, placement.y};
    if (placement.flags & kTpmRightAlign) {
        p.x -= menu.width;
    } else if (placement.flags & kTpmCenterAlign) {
        p.x -= menu.width / 2;
    }
    if (placement.flags & kTpmBottomAlign) {
        p.y -= menu.height;
    } else if (placement.flags & kTpmVCenterAlign) {
        p.y -= menu.height / 2;
    }
    p = keptOnScreen(p, menu, screen);

    const Rect& ex = placement.exclude;
    if (!overlaps(at(p, menu), ex)) {
        return p;
    }
    const Point above{p.x, ex.top - menu.height};
    const Point below{p.x, ex.bottom};
    const Point left{ex.left - menu.width, p.y};
    const Point right{ex.right, p.y};
    const bool vertical = placement.flags & kTpmVertical;
    const Point tries[] = {vertical ? above : left, vertical ? below : right, vertical ? left : above,
                           vertical ? right : below};
    for (const Point& candidate : tries) {
        const Rect r = at(candidate, menu);
        if (r.left >= screen.left && r.top >= screen.top && r.right <= screen.right &&
            r.bottom <= screen.bottom) {
            return candidate;
        }
    }
    return p; // no room anywhere: stay on the screen
}

void QtPopupMenu::setEntries(const std::vector<MenuEntry>& entries)
{
    m_menu.clear();
    m_entries.clear();
    for (const MenuEntry& entry : entries) {
        m_entries.push_back(entry.isSeparator() ? m_menu.addSeparator()
                                                : m_menu.addAction(QString::fromStdString(entry.caption)));
    }
}

void QtPopupMenu::setDefaultEntry(int position)
{
    QAction* chosen = nullptr;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        QAction* action = m_entries[i];
        if (action->isSeparator()) {
            continue;
        }
        const bool isDefault = static_cast<int>(i) == position;
        QFont font = action->font();
        font.setBold(isDefault);
        action->setFont(font);
        chosen = isDefault ? action : chosen;
    }
    m_menu.setDefaultAction(chosen);
}

int QtPopupMenu::track(const PopupPlacement& placement)
{
    m_menu.ensurePolished();
    const QSize hint = m_menu.sizeHint();
    const Point topLeft =
        PopupTopLeft(placement, {hint.width(), hint.height()}, screenAt({placement.x, placement.y}));
    const QAction* chosen = m_menu.exec(QPoint(topLeft.x, topLeft.y));
    const auto found = std::find(m_entries.begin(), m_entries.end(), chosen);
    return chosen == nullptr || found == m_entries.end() ? -1 : static_cast<int>(found - m_entries.begin());
}

} // namespace kumoden
