#include "platform/linux/qt/qt_picker_lists.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace kumoden {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

QString display(const std::string& text)
{
    return QString::fromStdString(text);
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

QtDriveList::QtDriveList(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
        if (m_onChange) {
            m_onChange();
        }
    });
}

void QtDriveList::setDrives(const std::vector<std::string>& drives)
{
    const QSignalBlocker quiet(this);
    clear();
    for (const auto& drive : drives) {
        addItem(display(drive), QByteArray::fromStdString(drive));
    }
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

void QtFolderList::show(const std::vector<FolderEntry>& entries, std::size_t opened)
{
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (std::size_t row = 0; row < entries.size(); ++row) {
        const FolderEntry& entry = entries[row];
        auto* item = new QListWidgetItem(row <= opened ? openIcon : closedIcon, display(entry.text), this);
        item->setData(kPathRole, QByteArray::fromStdString(entry.path));
        item->setData(kLevelRole, entry.level);
    }
    setCurrentRow(static_cast<int>(opened));
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

void QtFileList::show(const std::vector<std::string>& names)
{
    clear();
    for (const auto& name : names) {
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
