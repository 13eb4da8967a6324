#include "settings_ui/picker_lists.h"

#include <utility>

namespace kumoden {

PickerLists::PickerLists(FolderPickerView& view, const FolderReader& reader, MessageDialog& messages,
                         std::function<void()> folderOpened)
    : m_view(view), m_model(reader), m_messages(messages), m_folderOpened(std::move(folderOpened))
{
}

void PickerLists::load()
{
    m_drives = m_model.drives();
    m_view.setDrives(m_drives);
    m_drive = m_model.currentDrive(m_drives);
    m_view.setDrive(m_drive);
    const std::string folder = m_model.driveFolder(m_drive, m_drives);
    if (show(folder)) {
        m_folderOpened();
        return;
    }
    tell("フォルダー「" + folder + "」を読み取れません。");
    if (show(m_drive)) {
        m_folderOpened();
    }
}

void PickerLists::driveChanged()
{
    const std::string drive = m_view.drive();
    if (drive == m_drive) {
        return;
    }
    if (show(m_model.driveFolder(drive, m_drives))) {
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
    if (show(path)) {
        m_folderOpened();
        return;
    }
    tell("フォルダー「" + path + "」を読み取れません。");
}

bool PickerLists::show(const std::string& path)
{
    const auto folder = m_model.open(path);
    if (!folder) {
        return false;
    }
    m_view.showFolders(folder->entries, folder->opened);
    m_dirPath = folder->path;
    return true;
}

void PickerLists::tell(const std::string& text)
{
    m_messages.show(text, kPickerCaption, MessageButtons::Ok);
}

} // namespace kumoden
