#pragma once

#include "platform/forms.h"

#include <QMenu>

#include <vector>

namespace kumoden {

// Where a menu of the given size ends up, as TrackPopupMenuEx puts it:
// aligned to the anchor by the flags, kept on the screen, and moved off the
// excluded rectangle (vertically first when the flags ask for it).
Point PopupTopLeft(const PopupPlacement& placement, Size menu, const Rect& screen);

// The icon's menu where the program places it itself (XEmbed trays): the
// placement is applied to the menu's real size on the screen holding its
// anchor.
class QtPopupMenu final : public PopupMenuView {
public:
    void setEntries(const std::vector<MenuEntry>& entries) override;
    void setDefaultEntry(int position) override;
    int track(const PopupPlacement& placement) override;

private:
    QMenu m_menu;
    // Every entry by position, separators included.
    std::vector<QAction*> m_entries;
};

} // namespace kumoden
