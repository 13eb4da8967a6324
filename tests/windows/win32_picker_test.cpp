// The pickers' Win32 windows, driven by their presenters, with real windows
// under Wine and real folders.
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_text_field.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_folder_reader.h"
#include "platform/win32/win32_picker_views.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"
#include "tests/support/chosen_drives.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/win32_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kumoden {
namespace {
namespace fs = std::filesystem;

using namespace win32test;
using test::TempDir;
using test::utf8;

std::vector<std::string> texts(HWND list)
{
    std::vector<std::string> result;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()))));
        result.push_back(ToUtf8(text));
    }
    return result;
}

int rowOf(HWND list, const std::string& text)
{
    const auto all = texts(list);
    const auto found = std::find(all.begin(), all.end(), text);
    EXPECT_NE(found, all.end()) << "no entry " << text;
    return static_cast<int>(found - all.begin());
}

// The process works in a folder of its own:
//   alpha/  beta/{AcroRd32.exe, acrord32.exe.bak, hidden/}  gamma/acrord32.exe/ (a folder)
class Win32Picker : public ::testing::Test {
protected:
    Win32Picker() : m_previous(fs::current_path())
    {
        fs::create_directory(dir.path() / "alpha");
        dir.write("beta/AcroRd32.exe", "MZ");
        dir.write("beta/acrord32.exe.bak", "");
        fs::create_directories(dir.path() / "beta" / "hidden");
        AddAttributes(dir.path() / "beta" / "hidden", FILE_ATTRIBUTE_HIDDEN);
        fs::create_directories(dir.path() / "gamma" / "acrord32.exe");
        fs::current_path(dir.path());
        root = utf8(fs::current_path());
    }
    ~Win32Picker() override { fs::current_path(m_previous); }

    template <typename Presenter, typename View>
    void open(Presenter& picker, View& view, std::function<void()> steps)
    {
        picker.objRetField = &field;
        WhileModal([&] { return &view.form(); }, [&] { picker.Show(); }, steps);
    }
    static std::string focusName(Win32Form& form) { return std::string(form.nameOf(GetFocus())); }
    static void click(Win32Form& form, const char* button)
    {
        SendMessageW(form.control(button), BM_CLICK, 0, 0);
    }
    static void focus(Win32Form& form, const char* name)
    {
        SendMessageW(form.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(form.control(name)), TRUE);
    }

    TempDir dir;
    std::string root;
    Win32FolderReader folders;
    fake::FakeMessageDialog messages;
    fake::FakeTextField field{"old"};

private:
    fs::path m_previous;
};

TEST_F(Win32Picker, WindowsFollowTheirDesign)
{
    const auto check = [](Win32Form& form, const FormDesign& design) {
        const auto px = [&](int twips) { return twips * form.dpi() / 1440; };
        RECT client{};
        GetClientRect(form.window(), &client);
        EXPECT_EQ(client.right, px(design.clientWidth));
        EXPECT_EQ(client.bottom, px(design.clientHeight));
        EXPECT_EQ(WindowText(form.window()), "PDF File");
        for (const ControlDesign& control : design.controls) {
            const HWND made = form.control(control.name);
            RECT box{};
            GetWindowRect(made, &box);
            MapWindowPoints(nullptr, form.window(), reinterpret_cast<POINT*>(&box), 2);
            EXPECT_EQ(box.left, px(control.box.left)) << control.name;
            EXPECT_EQ(box.top, px(control.box.top)) << control.name;
            EXPECT_EQ(box.right - box.left, px(control.box.width)) << control.name;
            EXPECT_EQ(box.bottom - box.top, px(control.box.height)) << control.name;
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(made, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_EQ(ToUtf8(font.lfFaceName), kFormFontFace) << control.name;
            EXPECT_EQ(font.lfHeight, -16 * form.dpi() / 96) << control.name; // 12 points
            EXPECT_EQ(font.lfWeight, control.font.bold ? FW_BOLD : FW_NORMAL) << control.name;
        }
        EXPECT_EQ(WindowText(form.control("cmdExec")), "選   択");
        EXPECT_EQ(WindowText(form.control("cmdCancel")), "キャンセル");
        for (const char* button : {"cmdExec", "cmdCancel"}) { // neither is the default
            EXPECT_EQ(GetWindowLongPtrW(form.control(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
        }
    };
    Win32ProgramPickerView exe{FrmExeDesign()};
    check(exe.form(), FrmExeDesign());
    Win32FolderPickerView file{FrmFileDesign()};
    check(file.form(), FrmFileDesign());
}

TEST_F(Win32Picker, FolderListShowsAncestorsThenSubFoldersAndOpensByDoubleClickAndEnter)
{
    Win32FolderPickerView view{FrmFileDesign()};
    FrmFile frmFile(view, folders, messages);
    open(frmFile, view, [&] {
        const HWND list = view.form().control("DirList");
        std::vector<std::string> expected{folders.rootOf(root)};
        for (const auto& part : fs::path(root).relative_path()) {
            expected.push_back(utf8(part));
        }
        const int depth = static_cast<int>(expected.size());
        expected.insert(expected.end(), {"alpha", "beta", "gamma"});
        EXPECT_EQ(texts(list), expected);
        // The opened folder is the highlighted entry at first.
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), depth - 1);
        // Each entry one step deeper than its parent; the sub-folders one below the opened one.
        for (int row = 0; row < static_cast<int>(expected.size()); ++row) {
            EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, row, 0), std::min(row, depth)) << row;
        }
        EXPECT_EQ(view.drive(), folders.rootOf(root));

        // The list draws its own entries: the highlighted one in the
        // system's highlight, a sub-folder as a closed folder one step in.
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
        EXPECT_EQ(GetPixel(dc, 2 + depth * 8 + 5, (sub.top + sub.bottom) / 2 + 1), RGB(240, 200, 80));
        SelectObject(dc, previous);
        DeleteObject(canvas);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);

        // Highlighting an entry opens nothing.
        ClickEntry(list, rowOf(list, "alpha"));
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), rowOf(list, "alpha"));
        EXPECT_EQ(texts(list), expected);

        DoubleClick(list, rowOf(list, "beta"));
        EXPECT_EQ(view.highlightedFolder(), root + "\\beta");
        EXPECT_EQ(texts(list).back(), "beta"); // the hidden folder is not listed
        // Enter on the root entry goes all the way up.
        focus(view.form(), "DirList");
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        PressKey(VK_RETURN);
        EXPECT_EQ(view.highlightedFolder(), folders.rootOf(root));
        EXPECT_EQ(texts(list).front(), folders.rootOf(root));
        click(view.form(), "cmdExec");
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{folders.rootOf(root)});
}

TEST_F(Win32Picker, TabOrderNoDefaultOrCancelKeyAndTheFileListShowsOnlyTheReader)
{
    Win32ProgramPickerView view{FrmExeDesign()};
    FrmExe frmExe(view, folders, messages, "acrord32.exe");
    std::vector<std::string> order;
    open(frmExe, view, [&] {
        for (int i = 0; i < 6; ++i) {
            order.push_back(focusName(view.form()));
            PressKey(VK_TAB);
        }
        // On a button Enter presses nothing; Escape closes nothing. The keys
        // reach the window: Tab, pressed the same way, still moves on.
        focus(view.form(), "cmdCancel");
        PressKey(VK_RETURN);
        focus(view.form(), "cmdExec");
        PressKey(VK_RETURN);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(view.form().isModal());
        EXPECT_TRUE(messages.shown().empty());
        PressKey(VK_TAB);
        EXPECT_EQ(focusName(view.form()), "cmdCancel");

        const HWND dirs = view.form().control("DirList");
        const HWND files = view.form().control("filSelect");
        EXPECT_TRUE(texts(files).empty());
        DoubleClick(dirs, rowOf(dirs, "gamma"));
        EXPECT_TRUE(texts(files).empty()); // a folder of that name is no program
        DoubleClick(dirs, rowOf(dirs, utf8(fs::path(root).filename())));
        DoubleClick(dirs, rowOf(dirs, "beta"));
        EXPECT_EQ(texts(files), std::vector<std::string>{"AcroRd32.exe"});
        // Listed but not chosen: the picker asks for it and stays.
        click(view.form(), "cmdExec");
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_TRUE(view.form().isModal());
        ClickEntry(files, 0);
        click(view.form(), "cmdExec");
    });
    // Opened again: the close button closes and tells nobody.
    open(frmExe, view, [&] { SendMessageW(view.form().window(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_EQ(order,
              (std::vector<std::string>{"Drive", "DirList", "cmdExec", "cmdCancel", "filSelect", "Drive"}));
    EXPECT_EQ(field.writes(), std::vector<std::string>{root + "\\beta\\AcroRd32.exe"});
}

// Folders of the test stand in for drives beside the real one: the lists
// follow the drive list, and a drive that cannot be read sends it back.
TEST_F(Win32Picker, ChoosingAnotherDriveMovesTheLists)
{
    const std::string beta = root + "\\beta";
    const std::string missing = root + "\\missing";
    const test::ChosenDrives<Win32FolderReader> drives({folders.rootOf(root), beta, missing});
    Win32ProgramPickerView view(FrmExeDesign());
    FrmExe frmExe(view, drives, messages, "acrord32.exe");
    open(frmExe, view, [&] {
        EXPECT_EQ(view.drive(), folders.rootOf(root));
        EXPECT_EQ(view.highlightedFolder(), root);
        focus(view.form(), "Drive");
        PressKey(VK_DOWN);
        EXPECT_EQ(view.drive(), beta);
        EXPECT_EQ(view.highlightedFolder(), beta);
        EXPECT_EQ(texts(view.form().control("filSelect")), std::vector<std::string>{"AcroRd32.exe"});

        PressKey(VK_DOWN);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_NE(messages.shown()[0].text.find(missing), std::string::npos);
        EXPECT_EQ(view.drive(), beta);
        EXPECT_EQ(view.highlightedFolder(), beta);

        // Back on the first drive: its current folder, where the process is.
        PressKey(VK_HOME);
        EXPECT_EQ(view.highlightedFolder(), root);
        EXPECT_TRUE(texts(view.form().control("filSelect")).empty());
        click(view.form(), "cmdCancel");
    });
    EXPECT_TRUE(field.writes().empty());
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
    EXPECT_EQ(folders.normalFolder("C:\\"), "C:\\");
}

} // namespace
} // namespace kumoden
