#include "platform/qt/qt_popup_menu.h"

#include <algorithm>

namespace kumoden {

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

Size QtPopupMenu::size()
{
    const QSize hint = m_menu.sizeHint();
    return {hint.width(), hint.height()};
}

int QtPopupMenu::track(Point topLeft)
{
    const QAction* chosen = m_menu.exec(QPoint(topLeft.x, topLeft.y));
    const auto found = std::find(m_entries.begin(), m_entries.end(), chosen);
    return chosen == nullptr || found == m_entries.end() ? -1 : static_cast<int>(found - m_entries.begin());
}

} // namespace kumoden
