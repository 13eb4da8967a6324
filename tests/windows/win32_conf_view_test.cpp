// The settings dialog's Win32 view: real windows under Wine, for the
// contract suite and for what only this view shows.
#include "platform/win32/files/win32_folder_reader.h"
#include "platform/win32/forms/win32_conf_view.h"
#include "platform/win32/forms/win32_form.h"
#include "platform/win32/forms/win32_picker_views.h"
#include "platform/win32/system/wide.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_file.h"
#include "tests/contract/conf_driver.h"
#include "tests/windows/win32_form_driver.h"
#include "tests/windows/win32_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace kumoden::test {
namespace {

using namespace win32test;

class Win32ConfDriver final : public Win32FormDriver<ConfDriver> {
public:
    ConfView& view() override { return m_view; }
    std::string tabCaption(int index) const override
    {
        wchar_t text[64]{};
        TCITEMW item{TCIF_TEXT, 0, 0, text, 64, 0, 0};
        SendMessageW(child("TabMain"), TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        return ToUtf8(text);
    }
    Win32Form& form() const override { return m_view.form(); }

    mutable Win32ConfView m_view{FrmConfDesign()}; // its form has no const access
};

} // namespace

std::unique_ptr<ConfDriver> MakeConfDriver()
{
    return std::make_unique<Win32ConfDriver>();
}

namespace {

using Win32Conf = ConfDialog;

Win32ConfDriver& win32(ConfDriver& driver)
{
    return static_cast<Win32ConfDriver&>(driver);
}

TEST_F(Win32Conf, PageOneLiesOnTopAndTheFocusLeavesAPageThatGoes)
{
    const auto child = [&](const char* name) { return win32(driver).child(name); };
    open([&] {
        EXPECT_EQ(GetWindow(child("fraTab0"), GW_HWNDPREV), nullptr);
        driver.focus("txtChkTime");
        driver.press(Key::Tab, kCtrlMask);
        EXPECT_EQ(driver.focusName(), "txtFileChkDir"); // the next stop of what is shown

        // By the mouse too; the stops behind a page moved away are passed over.
        ClickItem(child("TabMain"), 0);
        ClickItem(child("TabMain"), 1);
        EXPECT_EQ(driver.view().selectedTab(), 2);
        EXPECT_FALSE(driver.enabled("fraTab2"));
        driver.focus("cmdOK");
        driver.press(Key::Tab);
        driver.press(Key::Tab);
        EXPECT_EQ(driver.focusName(), "txtFileChkDir");
        driver.closeWindow();
    });
}

TEST_F(Win32Conf, TheFolderPickerIsModalOverTheDialogAndFillsItsBox)
{
    const HWND dialog = win32(driver).form().window();
    HWND pickerOwner = nullptr;
    bool dialogTookInput = true;
    folderPicker = [&](TextField& field) {
        Win32FolderPickerView picker{FrmFileDesign()};
        const Win32FolderReader folders;
        FrmFile frmFile(picker, folders, messages);
        frmFile.objRetField = &field;
        WhileModal([&] { return &picker.form(); }, [&] { frmFile.Show(); },
                   [&] {
                       pickerOwner = GetWindow(picker.form().window(), GW_OWNER);
                       dialogTookInput = IsWindowEnabled(dialog);
                       SendMessageW(picker.form().control("cmdExec"), BM_CLICK, 0, 0);
                   });
    };
    open([&] {
        driver.click("cmdChkDir");
        EXPECT_TRUE(IsWindowEnabled(dialog));
        EXPECT_EQ(driver.view().text(ConfField::txtFileChkDir), utf8(std::filesystem::current_path()));
        EXPECT_TRUE(driver.view().applyEnabled());
        driver.view().unload();
    });
    EXPECT_EQ(pickerOwner, dialog);
    EXPECT_FALSE(dialogTookInput);
}

} // namespace
} // namespace kumoden::test
