#include "settings_ui/picker_lists.h"

#include <utility>

namespace kumoden {

PickerLists::PickerLists(FolderPickerView& view, MessageDialog& messages, std::function<void()> folderOpened)
    : m_view(view), m_messages(messages), m_folderOpened(std::move(folderOpened))
{
}

void PickerLists::load()
{
    m_drive = m_view.currentDrive();
    m_view.setDrive(m_drive);
    const std::string folder = m_view.driveFolder(m_drive);
    if (m_view.setDirPath(folder)) {
        m_folderOpened();
        return;
    }
    tell("フォルダー「" + folder + "」を読み取れません。");
    if (m_view.setDirPath(m_view.driveRoot(m_drive))) {
        m_folderOpened();
    }
}

void PickerLists::driveChanged()
{
    const std::string drive = m_view.drive();
    if (drive == m_drive) {
        return;
    }
    if (m_view.setDirPath(m_view.driveFolder(drive))) {
        m_drive = drive;
        m_folderOpened();
        return;
    }
    // A drive without a medium or not ready: back to the one before.
    tell("ドライブ「" + drive + "」を読み取れません。\n元のドライブに戻ります。");
    m_view.setDrive(m_drive);
}

void PickerLists::openFolder(const std::string& path)
{
    if (m_view.setDirPath(path)) {
        m_folderOpened();
        return;
    }
    tell("フォルダー「" + path + "」を読み取れません。");
}

void PickerLists::tell(const std::string& text)
{
    m_messages.show(text, kPickerCaption, MessageButtons::Ok);
}

} // namespace kumoden
