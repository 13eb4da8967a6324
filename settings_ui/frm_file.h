#pragma once

#include "platform/message_dialog.h"
#include "platform/picker_view.h"
#include "platform/text_field.h"
#include "settings_ui/picker_lists.h"

namespace kumoden {

// The folder picker: the user opens a folder and hands it back into the
// caller's text box.
class FrmFile {
public:
    FrmFile(FolderPickerView& view, const FolderReader& reader, MessageDialog& messages);
    FrmFile(const FrmFile&) = delete;
    FrmFile& operator=(const FrmFile&) = delete;

    // The text box that receives the folder; set by the caller before Show.
    TextField* objRetField = nullptr;

    // Loads the picker and shows it modally; returns when it has closed.
    void Show();

    void Form_Load();
    void Drive_Change();
    // An entry of the folder list was opened (double-click or Enter).
    void DirList_Open(const std::string& path);
    void cmdExec_Click();
    void cmdCancel_Click();

private:
    FolderPickerView& m_view;
    PickerLists m_lists;
};

} // namespace kumoden
