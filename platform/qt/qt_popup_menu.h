#pragma once

#include "platform/forms.h"

#include <QMenu>

#include <vector>

namespace kumoden {

class QtPopupMenu final : public PopupMenuView {
public:
    void setEntries(const std::vector<MenuEntry>& entries) override;
    void setDefaultEntry(int position) override;
    Size size() override;
    int track(Point topLeft) override;

private:
    QMenu m_menu;
    // Every entry by position, separators included.
    std::vector<QAction*> m_entries;
};

} // namespace kumoden
