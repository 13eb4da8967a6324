// The pickers' Win32 windows: real windows under Wine, for the contract
// suite and for what only these views show.
#include "platform/win32/files/win32_folder_reader.h"
#include "platform/win32/forms/win32_picker_views.h"
#include "platform/win32/system/wide.h"
#include "settings_ui/frm_file.h"
#include "tests/contract/picker_driver.h"
#include "tests/support/chosen_drives.h"
#include "tests/windows/win32_form_driver.h"
#include "tests/windows/win32_test_support.h"

#include <algorithm>

namespace kumoden::test {
namespace {

using namespace win32test;

template <typename View> class Win32PickerDriver final : public Win32FormDriver<PickerDriver> {
public:
    explicit Win32PickerDriver(const FormDesign& design) : m_view(design) {}

    FolderPickerView& view() override { return m_view; }
    bool shown() const override { return m_view.form().isModal(); }
    std::vector<std::string> entries(std::string_view list) const override
    {
        std::vector<std::string> result;
        const HWND on = child(list);
        const auto count = SendMessageW(on, LB_GETCOUNT, 0, 0);
        for (LRESULT row = 0; row < count; ++row) {
            std::wstring text(static_cast<std::size_t>(SendMessageW(on, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(
                SendMessageW(on, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()))));
            result.push_back(ToUtf8(text));
        }
        return result;
    }
    int highlighted(std::string_view list) const override
    {
        return static_cast<int>(SendMessageW(child(list), LB_GETCURSEL, 0, 0));
    }
    void clickEntry(std::string_view list, int row) override { ClickItem(child(list), row); }
    void doubleClick(int row) override { ClickItem(child("DirList"), row, 2); }
    std::string highlightedFolder() const override { return m_view.highlightedFolder(); }
    // By the keyboard: Home for the first drive, else the arrows.
    void chooseDrive(const std::string& drive) override
    {
        const HWND drives = child("Drive");
        focus("Drive");
        const auto target =
            SendMessageW(drives, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(ToWide(drive).c_str()));
        const auto from = SendMessageW(drives, CB_GETCURSEL, 0, 0);
        for (auto step = from; target != 0 && step != target; step += step < target ? 1 : -1) {
            PressKey(from < target ? VK_DOWN : VK_UP);
        }
        if (target == 0) {
            PressKey(VK_HOME);
        }
    }
    Win32Form& form() const override { return m_view.form(); }

private:
    mutable View m_view; // its form has no const access
};

} // namespace

const PickerNames kPickerNames{"acrord32.exe", "AcroRd32.exe", "hidden"};

std::unique_ptr<PickerDriver> MakePickerDriver(bool program)
{
    if (program) {
        return std::make_unique<Win32PickerDriver<Win32ProgramPickerView>>(FrmExeDesign());
    }
    return std::make_unique<Win32PickerDriver<Win32FolderPickerView>>(FrmFileDesign());
}

std::unique_ptr<FolderReader> MakeFolderReader(const std::vector<std::string>& drives)
{
    if (drives.empty()) {
        return std::make_unique<Win32FolderReader>();
    }
    return std::make_unique<ChosenDrives<Win32FolderReader>>(drives);
}

namespace {

using Win32Picker = PickerWindow;

// The list draws its own entries, each one step deeper than its parent: the
// highlighted one in the system's highlight, a sub-folder as a closed folder
// one step below the opened one.
TEST_F(Win32Picker, TheFolderListDrawsEachEntryAtItsDepthOnTheFoldersDrive)
{
    Win32FolderPickerView view{FrmFileDesign()};
    FrmFile frmFile(view, *folders, messages);
    frmFile.objRetField = &field;
    WhileModal([&] { return &view.form(); }, [&] { frmFile.Show(); },
               [&] {
                   EXPECT_EQ(view.drive(), folders->rootOf(root));
                   for (const char* button : {"cmdExec", "cmdCancel"}) { // neither is the default
                       EXPECT_EQ(GetWindowLongPtrW(view.form().control(button), GWL_STYLE) & BS_TYPEMASK,
                                 BS_PUSHBUTTON);
                   }
                   const HWND list = view.form().control("DirList");
                   const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
                   const int depth = count - 3; // alpha, beta and gamma below the opened folder
                   for (int row = 0; row < count; ++row) {
                       EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, row, 0), std::min(row, depth)) << row;
                   }
                   RECT row{};
                   SendMessageW(list, LB_GETITEMRECT, depth - 1, reinterpret_cast<LPARAM>(&row));
                   RECT sub{};
                   SendMessageW(list, LB_GETITEMRECT, depth, reinterpret_cast<LPARAM>(&sub));
                   const HDC screen = GetDC(nullptr);
                   const HDC dc = CreateCompatibleDC(screen);
                   const HBITMAP canvas = CreateCompatibleBitmap(screen, 400, 400);
                   const HGDIOBJ previous = SelectObject(dc, canvas);
                   SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
                   EXPECT_EQ(GetPixel(dc, 1, row.top + 1), GetSysColor(COLOR_HIGHLIGHT));
                   EXPECT_EQ(GetPixel(dc, 2 + depth * 8 + 5, (sub.top + sub.bottom) / 2 + 1),
                             RGB(240, 200, 80));
                   SelectObject(dc, previous);
                   DeleteObject(canvas);
                   DeleteDC(dc);
                   ReleaseDC(nullptr, screen);
                   view.form().unload();
               });
}

TEST(Win32Drives, DriveLettersAndSharesAreRoots)
{
    const Win32FolderReader folders;
    const auto drives = folders.readyDrives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:\\"), drives.end());
    EXPECT_EQ(folders.rootOf("c:\\Users\\x"), "c:\\");
    EXPECT_EQ(folders.rootOf("\\\\server\\share\\docs"), "\\\\server\\share\\");
    EXPECT_EQ(folders.rootOf("\\\\server"), "");
    EXPECT_EQ(folders.normalFolder("C:\\Users\\..\\windows\\\\"), "C:\\windows");
}

} // namespace
} // namespace kumoden::test
