#include "platform/qt/qt_picker_lists.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyledItemDelegate>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace kumoden {
namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

QString display(const std::string& text)
{
    return QString::fromStdString(text);
}

// Names in the order a person reads them: letter case aside, then as bytes.
void sortNames(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = display(a).compare(display(b), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

// The entries of a folder that pass the test, hidden ones left out; nothing
// when the folder cannot be read.
template <typename Test>
std::optional<std::vector<std::string>> readFolder(const std::string& folder, Test test)
{
    std::error_code error;
    fs::directory_iterator entry(fs::path(folder), error);
    if (error) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (entry != fs::directory_iterator()) {
        const std::string name = entry->path().filename().string();
        if (!name.starts_with('.') && test(*entry, name)) {
            names.push_back(name);
        }
        entry.increment(error);
        if (error) {
            return std::nullopt;
        }
    }
    sortNames(names);
    return names;
}

// A root keeps its separator, any other folder has none.
std::string normalFolder(const std::string& path)
{
    std::string normal = fs::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

std::string childPath(const std::string& folder, const std::string& name)
{
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// Indents each entry by its depth, highlight and all, as the classic
// folder list does.
class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->rect.adjust(index.data(kLevelRole).toInt() * kIndentPixels, 0, 0, 0);
    }
};

} // namespace

std::vector<std::string> mountedDrives()
{
    std::vector<std::string> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // A file mounted on its own (as containers do) is no drive.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
            drives.push_back(volume.rootPath().toStdString());
        }
    }
    // Every folder lies on some drive.
    drives.push_back("/");
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::string driveOf(const std::string& folder, const std::vector<std::string>& drives)
{
    std::string best = "/";
    for (const auto& drive : drives) {
        const bool contains = drive == "/" || folder == drive || folder.starts_with(drive + "/");
        if (contains && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best;
}

std::string currentFolder()
{
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    // A current folder that was removed: the root stands in.
    return error ? std::string("/") : normalFolder(folder.string());
}

std::string driveCurrentFolder(const std::string& drive, const std::vector<std::string>& drives)
{
    const std::string folder = currentFolder();
    return driveOf(folder, drives) == drive ? folder : drive;
}

QtDriveList::QtDriveList(std::vector<std::string> drives, QWidget* parent) : QComboBox(parent)
{
    for (const auto& drive : drives) {
        addItem(display(drive), QByteArray::fromStdString(drive));
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
        if (m_onChange) {
            m_onChange();
        }
    });
}

std::string QtDriveList::drive() const
{
    return currentData().toByteArray().toStdString();
}

void QtDriveList::setDrive(const std::string& drive)
{
    const int index = findData(QByteArray::fromStdString(drive));
    if (index >= 0) {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
}

QtFolderList::QtFolderList(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { open(item); });
}

bool QtFolderList::setPath(const std::string& path)
{
    const std::string folder = normalFolder(path);
    const auto subFolders = readFolder(folder, [](const fs::directory_entry& entry, const std::string&) {
        std::error_code error;
        return entry.is_directory(error);
    });
    if (!subFolders) {
        return false;
    }

    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const std::string& text, const std::string& full, int level) {
        auto* item = new QListWidgetItem(icon, display(text), this);
        item->setData(kPathRole, QByteArray::fromStdString(full));
        item->setData(kLevelRole, level);
        return item;
    };
    // The chain from the root down to the opened folder.
    std::string chain;
    int level = 0;
    QListWidgetItem* opened = nullptr;
    for (const auto& part : fs::path(folder)) {
        const std::string name = part.string();
        chain = chain.empty() ? name : childPath(chain, name);
        opened = add(openIcon, name, chain, level++);
    }
    for (const auto& name : *subFolders) {
        add(closedIcon, name, childPath(folder, name), level);
    }
    setCurrentItem(opened);
    m_path = folder;
    return true;
}

std::string QtFolderList::entryPath(const QListWidgetItem& item)
{
    return item.data(kPathRole).toByteArray().toStdString();
}

void QtFolderList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem() != nullptr) {
        open(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void QtFolderList::open(const QListWidgetItem* item)
{
    if (item != nullptr && m_onOpen) {
        // The handler rebuilds the list: the item goes with it.
        const std::string path = entryPath(*item);
        m_onOpen(path);
    }
}

QtFileList::QtFileList(QWidget* parent) : QListWidget(parent)
{
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
}

void QtFileList::setPath(const std::string& path)
{
    m_path = normalFolder(path);
    clear();
    const QString pattern = display(m_pattern);
    const auto files = readFolder(m_path, [&](const fs::directory_entry& entry, const std::string& name) {
        std::error_code error;
        return display(name).compare(pattern, Qt::CaseInsensitive) == 0 && entry.is_regular_file(error);
    });
    for (const auto& name : files.value_or(std::vector<std::string>{})) {
        auto* item = new QListWidgetItem(display(name), this);
        item->setData(kPathRole, QByteArray::fromStdString(name));
    }
}

std::string QtFileList::fileName() const
{
    const auto chosen = selectedItems();
    return chosen.isEmpty() ? std::string() : chosen.front()->data(kPathRole).toByteArray().toStdString();
}

} // namespace kumoden
