// The settings dialog's Win32 view: real windows under Wine, for the
// contract suite and for what only this view shows.
#include "platform/win32/wide.h"
#include "platform/win32/win32_conf_view.h"
#include "platform/win32/win32_folder_reader.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_picker_views.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_file.h"
#include "tests/contract/conf_driver.h"
#include "tests/windows/win32_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace kumoden::test {
namespace {

using namespace win32test;

class Win32ConfDriver final : public ConfDriver {
public:
    ConfView& view() override { return m_view; }
    void whileOpen(const std::function<void()>& show, const std::function<void()>& steps) override
    {
        WhileModal([&] { return &m_view.form(); }, show, steps);
    }
    bool shown() const override { return IsWindowVisible(m_view.form().window()); }

    std::string focusName() const override { return std::string(m_view.form().nameOf(GetFocus())); }
    void focus(std::string_view control) override
    {
        // As the dialog manager moves the focus: a text box's text is selected.
        SendMessageW(m_view.form().window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(child(control)), TRUE);
    }
    void press(Key key, int modifiers) override
    {
        const WORD codes[] = {VK_TAB, VK_RETURN, VK_ESCAPE, VK_DOWN};
        std::vector<WORD> held;
        for (const auto& [mask, vk] : {std::pair{kShiftMask, VK_SHIFT}, std::pair{kCtrlMask, VK_CONTROL},
                                       std::pair{kAltMask, VK_MENU}}) {
            if ((modifiers & mask) != 0) {
                held.push_back(static_cast<WORD>(vk));
            }
        }
        PressKey(codes[static_cast<int>(key)], held);
    }
    void type(const std::string& text) override { Type(text.c_str()); }
    void click(std::string_view button) override { SendMessageW(child(button), BM_CLICK, 0, 0); }
    void closeWindow() override { SendMessageW(m_view.form().window(), WM_SYSCOMMAND, SC_CLOSE, 0); }

    int pixels(int twips) const override { return twips * m_view.form().dpi() / 1440; }
    std::string title() const override { return WindowText(m_view.form().window()); }
    PixelBox clientSize() const override
    {
        RECT client{};
        GetClientRect(m_view.form().window(), &client);
        return {0, 0, client.right, client.bottom};
    }
    PixelBox box(std::string_view control) const override
    {
        const RECT r = boxIn(child(control));
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    bool inSight(std::string_view control) const override
    {
        const HWND window = child(control);
        RECT parent{};
        GetClientRect(GetParent(window), &parent);
        const RECT own = boxIn(window);
        RECT common{};
        return IsWindowVisible(window) && IntersectRect(&common, &parent, &own);
    }
    bool enabled(std::string_view control) const override { return IsWindowEnabled(child(control)); }
    std::string tabCaption(int index) const override
    {
        wchar_t text[64]{};
        TCITEMW item{TCIF_TEXT, 0, 0, text, 64, 0, 0};
        SendMessageW(child("TabMain"), TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        return ToUtf8(text);
    }
    Look look(std::string_view control) const override
    {
        const HWND window = child(control);
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        Look look;
        look.caption = WindowText(window);
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
        if (GetObjectW(handle, sizeof font, &font) == static_cast<int>(sizeof font)) {
            look.face = ToUtf8(font.lfFaceName);
            look.points = -font.lfHeight * 72.0 / m_view.form().dpi();
            look.bold = font.lfWeight >= FW_BOLD;
        }
        // What the control's parent paints its text with.
        const HDC dc = CreateCompatibleDC(nullptr);
        SendMessageW(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(window));
        const COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        look.colour = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        look.alignedRight = (style & ES_RIGHT) != 0;
        look.editable = (style & 3) == CBS_DROPDOWN;
        look.entries = static_cast<int>(SendMessageW(window, CB_GETCOUNT, 0, 0));
        return look;
    }

    HWND child(std::string_view control) const { return m_view.form().control(control); }
    static RECT boxIn(HWND control)
    {
        RECT box{};
        GetWindowRect(control, &box);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
        return box;
    }
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
        ClickTab(child("TabMain"), 0);
        ClickTab(child("TabMain"), 1);
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
    const HWND dialog = win32(driver).m_view.form().window();
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
