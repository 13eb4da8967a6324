#pragma once

#include "platform/picker_view.h"

#include <QComboBox>
#include <QListWidget>

#include <functional>
#include <string>
#include <vector>

namespace kumoden {

// The drive list: one entry per drive, showing its root.
class QtDriveList final : public QComboBox {
public:
    explicit QtDriveList(QWidget* parent);

    // Runs when the user chooses another drive.
    void setChangeHandler(std::function<void()> handler) { m_onChange = std::move(handler); }
    // Lists these drives without running the handler.
    void setDrives(const std::vector<std::string>& drives);
    std::string drive() const;
    // Chooses a listed drive without running the handler.
    void setDrive(const std::string& drive);

private:
    std::function<void()> m_onChange;
};

// The folder list: its entries indented by depth. A double-click or Enter
// on an entry asks for it to be opened; only show fills it anew.
class QtFolderList final : public QListWidget {
public:
    explicit QtFolderList(QWidget* parent);

    void setOpenHandler(std::function<void(const std::string&)> handler) { m_onOpen = std::move(handler); }
    void show(const std::vector<FolderEntry>& entries, std::size_t opened);
    // The full path of an entry.
    static std::string entryPath(const QListWidgetItem& item);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(const QListWidgetItem* item);

    std::function<void(const std::string&)> m_onOpen;
};

// The file list; one of its files can be chosen.
class QtFileList final : public QListWidget {
public:
    explicit QtFileList(QWidget* parent);

    void show(const std::vector<std::string>& names);
    // The chosen file's name, or empty.
    std::string fileName() const;
};

} // namespace kumoden
