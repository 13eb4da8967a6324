#pragma once

#include "model/settings.h"
#include "platform/conf_view.h"
#include "platform/message_dialog.h"
#include "platform/printers.h"
#include "platform/profile.h"
#include "platform/text_field.h"
#include "platform/timer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kumoden {

// The marker of a field whose text changed while the dialog is open.
inline constexpr std::string_view kChangedTag = "C_UPDATE";

// The settings dialog: shows the settings on three tabs, remembers which
// fields changed and writes those to the INI file on OK or Apply, then
// reads the file again and gives the watch timer the interval read.
//
// A save refuses only what the watch could not use (an interval the record
// does not read as 0 ms or more, a retention the purge does not read as
// days, a file-name start holding a folder separator), and
// tells the user of a write the INI file did not take; either way the
// dialog stays open with the user's edits.
//
// Filling the fields marks them as any change of text does, so a save
// writes them back; only what the user made of a field is refused. A field
// counts as edited when its text differs from what the dialog last filled
// in: a value read from the file and left as it was goes back unchanged,
// whatever it holds.
//
// One object per opening: every opening starts with empty markers.
class FrmConf {
public:
    // Shows a picker modally; it writes its result into the field.
    using PickerOpener = std::function<void(TextField& objRetField)>;

    struct Services {
        ConfView& view;
        Profile& profile;
        std::string iniPath;
        char separator;
        // The resident window's watch timer.
        Timer& tmrFileCheck;
        PrinterList& printers;
        MessageDialog& messages;
        PickerOpener showFolderPicker;
        PickerOpener showProgramPicker;
        // Writes one line in the program's log; may be empty.
        std::function<void(const std::string&)> log;
    };

    FrmConf(FileCheckInfo& info, Services services);
    FrmConf(const FrmConf&) = delete;
    FrmConf& operator=(const FrmConf&) = delete;

    // Loads the dialog and shows it modally until it closes.
    void Show();

    void Form_Load();
    void ShowSettings();
    // What a save came to; only Saved lets OK close the dialog.
    enum class SaveResult {
        Saved,
        Refused,    // a field the watch cannot use; nothing written
        NotWritten, // the INI file did not take a field
    };
    SaveResult SaveSettings();

    void txtChkTime_Change();
    void txtFileDelDate_Change();
    void txtFileChkDir_Change();
    void txtAcroExe_Change();
    void txtPrintFile_Change();
    void cmbPrint_Click();
    void TabMain_Click();
    void Form_KeyDown(int keyCode, int shift);

    void cmdOK_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    void cmdChkDir_Click();
    void cmdAcrExeDir_Click();

    // The control's marker: empty, or kChangedTag.
    const std::string& Tag(ConfField field) const;

private:
    // One of the text boxes as a picker's target.
    class Field final : public TextField {
    public:
        Field(ConfView& view, ConfField field) : m_view(view), m_field(field) {}
        std::string text() const override { return m_view.text(m_field); }
        void setText(const std::string& text) override { m_view.setText(m_field, text); }

    private:
        ConfView& m_view;
        ConfField m_field;
    };

    void markChanged(ConfField field);
    // Fills a field and remembers what it then shows.
    void fill(ConfField field, const std::string& text);
    // Marked, and no longer the text the dialog filled in.
    bool edited(ConfField field) const;
    // The message for the first edited field the watch could not use.
    std::string refusal() const;
    void tell(const std::string& text);
    void openPicker(const PickerOpener& open, ConfField field);

    FileCheckInfo& m_info;
    Services m_services;
    ConfView& m_view;
    std::array<std::string, 6> m_tags;
    // What each field showed after the last fill.
    std::array<std::string, 6> m_filled;
};

} // namespace kumoden
