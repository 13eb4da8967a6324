#pragma once

#include "platform/folder_reader.h"
#include "platform/message_dialog.h"
#include "platform/picker_view.h"
#include "settings_ui/folder_model.h"

#include <functional>
#include <string>
#include <vector>

namespace kumoden {

// The title of the pickers' own messages: the caption of their windows.
inline constexpr const char* kPickerCaption = "PDF File";

// The drive and folder lists that both pickers share: where they start,
// how a change of drive moves the folder list, and what happens when a
// drive or folder cannot be read (a message, and the lists stay where they
// were, so the picker remains usable).
class PickerLists {
public:
    // folderOpened runs each time the folder list has opened a folder.
    PickerLists(FolderPickerView& view, const FolderReader& reader, MessageDialog& messages,
                std::function<void()> folderOpened);
    PickerLists(const PickerLists&) = delete;
    PickerLists& operator=(const PickerLists&) = delete;

    // The platform's current drive and its current folder; that drive's
    // root when the folder cannot be read.
    void load();
    // The drive list shows another drive: open its current folder, or go
    // back to the previous drive.
    void driveChanged();
    // An entry of the folder list was opened.
    void openFolder(const std::string& path);

    // The folder the folder list has opened; empty before it has opened
    // any.
    const std::string& dirPath() const { return m_dirPath; }
    const FolderModel& model() const { return m_model; }

private:
    // False, with the list left as it was, when the folder cannot be read.
    bool show(const std::string& path);
    void tell(const std::string& text);

    FolderPickerView& m_view;
    FolderModel m_model;
    MessageDialog& m_messages;
    std::function<void()> m_folderOpened;
    std::vector<std::string> m_drives;
    // The last drive whose folder could be opened.
    std::string m_drive;
    std::string m_dirPath;
};

} // namespace kumoden
