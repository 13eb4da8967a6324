#pragma once

#include "platform/message_dialog.h"
#include "platform/picker_view.h"
#include "platform/text_field.h"
#include "settings_ui/picker_lists.h"

#include <string>

namespace kumoden {

// The program picker: the user finds the PDF reader's program file and
// hands its full path back into the caller's text box.
class FrmExe {
public:
    // readerFileName is the only name the file list shows (the platform's
    // reader program), letter case aside.
    FrmExe(ProgramPickerView& view, const FolderReader& reader, MessageDialog& messages,
           std::string readerFileName);
    FrmExe(const FrmExe&) = delete;
    FrmExe& operator=(const FrmExe&) = delete;

    // The text box that receives the path; set by the caller before Show.
    TextField* objRetField = nullptr;

    // Loads the picker and shows it modally; returns when it has closed.
    void Show();

    void Form_Load();
    void Drive_Change();
    // An entry of the folder list was opened (double-click or Enter).
    void DirList_Open(const std::string& path);
    void DirList_Change();
    void cmdExec_Click();
    void cmdCancel_Click();

private:
    ProgramPickerView& m_view;
    MessageDialog& m_messages;
    std::string m_readerFileName;
    const FolderReader& m_reader;
    PickerLists m_lists;
};

} // namespace kumoden
