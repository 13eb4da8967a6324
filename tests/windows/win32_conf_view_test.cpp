// The settings dialog's Win32 view, driven by its presenter, with real
// windows under Wine and a real INI file.
#include "platform/fake/fake_services.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_conf_view.h"
#include "platform/win32/win32_folder_reader.h"
#include "platform/win32/win32_picker_views.h"
#include "platform/win32/win32_profile.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_conf.h"
#include "settings_ui/frm_file.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/win32_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace kumoden {
namespace {

using namespace win32test;
using test::readFile;
using test::TempDir;
using test::utf8;

constexpr const char* kIni = "[FileCheck_Info]\n"
                             "FileChkTime=1000\n"
                             "FileChkDir=C:\\in\n"
                             "FileSelect=abc\n"
                             "AcrExeDir=C:\\reader\\acrord32.exe\n"
                             "PrinterNm=PDF\n"
                             "FileDelDate=7\n";

RECT boxIn(HWND control)
{
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

class Win32Conf : public ::testing::Test {
protected:
    Win32Conf() { dir.write("kumoden.INI", kIni); }

    void open(Win32ConfView& dialog, FrmConf& presenter, std::function<void()> steps)
    {
        WhileModal([&] { return &dialog.form(); }, [&] { presenter.Show(); }, steps);
    }
    HWND child(const char* name) { return view.form().control(name); }
    std::string focusName() { return std::string(view.form().nameOf(GetFocus())); }
    void focus(const char* name)
    {
        SendMessageW(view.form().window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(child(name)), TRUE);
    }
    std::string setting(const char* key)
    {
        return profile.readString("FileCheck_Info", key, utf8(dir.path() / "kumoden.INI"), 1024);
    }
    std::string ini() const { return readFile(dir.path() / "kumoden.INI"); }

    TempDir dir;
    std::string iniPath = utf8(dir.path() / "kumoden.INI");
    Win32Profile profile;
    fake::FakeTimer timer;
    fake::FakePrinterList printers{{{"PDF", "PDF", "cups-pdf:/"}, {"PDF2", "PDF2", "cups-pdf:/PDF2"}}};
    fake::FakeMessageDialog messages;
    FileCheckInfo info;
    FrmConf::PickerOpener showFolderPicker;
    Win32ConfView view{FrmConfDesign()};
    FrmConf frmConf{info,
                    {view,
                     profile,
                     iniPath,
                     '\\',
                     timer,
                     printers,
                     messages,
                     [this](TextField& field) {
                         if (showFolderPicker) {
                             showFolderPicker(field);
                         }
                     },
                     {},
                     {}}};
};

TEST_F(Win32Conf, IsLaidOutInTwipsAsDesignedWithItsFonts)
{
    open(view, frmConf, [&] {
        const int dpi = view.form().dpi();
        const auto px = [dpi](int twips) { return static_cast<int>(twips * dpi / 1440); };
        RECT client{};
        GetClientRect(view.form().window(), &client);
        EXPECT_EQ(client.right, px(6015));
        EXPECT_EQ(client.bottom, px(3420));
        EXPECT_EQ(WindowText(view.form().window()), "環境設定画面");

        const TwipsBox area = view.tabClientArea();
        EXPECT_GT(area.top, 120 + 200); // below the tabs
        EXPECT_LE(area.left + area.width, 120 + 5775);
        for (const ControlDesign& control : FrmConfDesign().controls) {
            // The pages lie on the tab strip's inside, page 1 on top.
            const TwipsBox twips = control.kind == ControlKind::Page ? area : control.box;
            const RECT box = boxIn(child(control.name.data()));
            EXPECT_EQ(box.left, px(twips.left)) << control.name;
            EXPECT_EQ(box.top, px(twips.top)) << control.name;
            EXPECT_EQ(box.right - box.left, px(twips.width)) << control.name;
            EXPECT_EQ(box.bottom - box.top, px(twips.height)) << control.name;
            if (control.kind == ControlKind::Label || control.kind == ControlKind::Button) {
                EXPECT_EQ(WindowText(child(control.name.data())), control.caption()) << control.name;
            }
            if (control.font.points > 0) {
                LOGFONTW font{};
                const auto handle =
                    reinterpret_cast<HFONT>(SendMessageW(child(control.name.data()), WM_GETFONT, 0, 0));
                ASSERT_EQ(GetObjectW(handle, sizeof font, &font), static_cast<int>(sizeof font))
                    << control.name;
                EXPECT_EQ(ToUtf8(font.lfFaceName), kFormFontFace) << control.name;
                EXPECT_EQ(font.lfHeight, -static_cast<int>(std::lround(control.font.points * dpi / 72)))
                    << control.name;
                EXPECT_EQ(font.lfWeight, control.font.bold ? FW_BOLD : FW_NORMAL) << control.name;
            }
        }
        EXPECT_EQ(GetWindow(child("fraTab0"), GW_HWNDPREV), nullptr); // on top

        const HWND tabs = child("TabMain");
        ASSERT_EQ(view.tabCount(), 3);
        wchar_t caption[64]{};
        TCITEMW item{TCIF_TEXT, 0, 0, caption, 64, 0, 0};
        SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(ToUtf8(caption), "ディレクトリー情報");

        EXPECT_TRUE(GetWindowLongPtrW(child("txtChkTime"), GWL_STYLE) & ES_RIGHT);
        EXPECT_FALSE(GetWindowLongPtrW(child("txtAcroExe"), GWL_STYLE) & ES_RIGHT);
        // Enter presses OK while the focus is on no other button.
        EXPECT_EQ(SendMessageW(view.form().window(), DM_GETDEFID, 0, 0),
                  MAKELRESULT(GetDlgCtrlID(child("cmdOK")), DC_HASDEFID));
        EXPECT_FALSE(IsWindowEnabled(child("cmdApply")));

        // lblInfo is red, its neighbour the platform's colour.
        const HDC dc = CreateCompatibleDC(nullptr);
        const HWND page = child("fraTab2");
        SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(child("lblInfo")));
        EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(child("lblPrintFile0")));
        EXPECT_NE(GetTextColor(dc), RGB(255, 0, 0));
        DeleteDC(dc);

        const HWND cmbPrint = child("cmbPrint");
        EXPECT_EQ(GetWindowLongPtrW(cmbPrint, GWL_STYLE) & 3, CBS_DROPDOWN);
        EXPECT_EQ(SendMessageW(cmbPrint, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(view.text(ConfField::cmbPrint), "PDF");
        view.unload();
    });
}

TEST_F(Win32Conf, TheFocusStartsOnCancelAndGoesInTheDesignedOrder)
{
    open(view, frmConf, [&] {
        std::vector<std::string> order{focusName()};
        for (int i = 0; i < 11; ++i) {
            PressKey(VK_TAB);
            order.push_back(focusName());
        }
        // Apply is disabled, so the round comes back to Cancel; the pages
        // beneath page 1 are still enabled until the first change of tab.
        EXPECT_EQ(order,
                  (std::vector<std::string>{"cmdCancel", "cmdOK", "TabMain", "txtChkTime", "txtFileChkDir",
                                            "txtAcroExe", "cmdChkDir", "cmdAcrExeDir", "txtPrintFile",
                                            "cmbPrint", "txtFileDelDate", "cmdCancel"}));
        PressKey(VK_TAB, {VK_SHIFT});
        EXPECT_EQ(focusName(), "txtFileDelDate");
        view.unload();
    });
}

TEST_F(Win32Conf, EnterSavesAndClosesEscAndTheCloseButtonWriteNothing)
{
    open(view, frmConf, [&] {
        focus("txtFileDelDate"); // selects the text, as the focus does in a dialog
        Type("30");
        PressKey(VK_RETURN);
    });
    EXPECT_EQ(setting("FileDelDate"), "30");
    EXPECT_FALSE(IsWindowVisible(view.form().window()));

    const std::string before = ini();
    for (const bool escape : {true, false}) {
        Win32ConfView again{FrmConfDesign()};
        FrmConf presenter{info, {again, profile, iniPath, '\\', timer, printers, messages, {}, {}, {}}};
        open(again, presenter, [&] {
            SendMessageW(again.form().window(), WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(again.form().control("txtPrintFile")), TRUE);
            Type("9");
            EXPECT_TRUE(again.applyEnabled()); // the key went in
            if (escape) {
                PressKey(VK_ESCAPE);
            } else {
                SendMessageW(again.form().window(), WM_SYSCOMMAND, SC_CLOSE, 0);
            }
        });
        EXPECT_FALSE(IsWindowVisible(again.form().window()));
    }
    EXPECT_EQ(ini(), before);
}

TEST_F(Win32Conf, ThePrinterListChoiceMarksItTypingAndEnterDoNot)
{
    open(view, frmConf, [&] {
        focus("cmbPrint");
        Type("PDF2"); // the name of an entry, typed
        EXPECT_EQ(view.text(ConfField::cmbPrint), "PDF2");
        EXPECT_FALSE(view.applyEnabled());
        PressKey(VK_RETURN); // OK: closes without a save
    });
    EXPECT_EQ(ini(), kIni);

    Win32ConfView again{FrmConfDesign()};
    FrmConf presenter{info, {again, profile, iniPath, '\\', timer, printers, messages, {}, {}, {}}};
    open(again, presenter, [&] {
        SendMessageW(again.form().window(), WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(again.form().control("cmbPrint")), TRUE);
        PressKey(VK_DOWN); // the next entry: PDF2
        EXPECT_TRUE(again.applyEnabled());
        SendMessageW(again.form().control("cmdOK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(setting("PrinterNm"), "PDF2");
}

TEST_F(Win32Conf, TabsChangeByMouseAndByCtrlTabAndMoveThePages)
{
    open(view, frmConf, [&] {
        const int dpi = view.form().dpi();
        const int inside = view.tabClientArea().left * dpi / 1440;
        focus("txtChkTime");
        PressKey(VK_TAB, {VK_CONTROL});
        EXPECT_EQ(view.selectedTab(), 2);
        // The focus left the page that went away for the next stop.
        EXPECT_EQ(focusName(), "txtFileChkDir");
        EXPECT_EQ(boxIn(child("fraTab0")).left, -20000 * dpi / 1440);
        EXPECT_FALSE(IsWindowEnabled(child("fraTab0")));
        EXPECT_TRUE(IsWindowEnabled(child("fraTab1")));
        EXPECT_EQ(boxIn(child("fraTab1")).left, inside);

        PressKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
        EXPECT_EQ(view.selectedTab(), 1);
        focus("TabMain");
        PressKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
        EXPECT_EQ(view.selectedTab(), 3);
        EXPECT_EQ(focusName(), "TabMain"); // Ctrl+Tab itself moves no focus

        ClickTab(child("TabMain"), 1);
        EXPECT_EQ(view.selectedTab(), 2);
        EXPECT_EQ(boxIn(child("fraTab1")).left, inside);
        EXPECT_FALSE(IsWindowEnabled(child("fraTab2")));
        // The pages are on the tab strip's inside, and tab stops behind a
        // page moved away are passed over.
        focus("cmdOK");
        PressKey(VK_TAB);
        PressKey(VK_TAB);
        EXPECT_EQ(focusName(), "txtFileChkDir");
        SendMessageW(view.form().window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(ini(), kIni); // the text boxes took no tab character, nothing was saved
}

TEST_F(Win32Conf, TextChangedOnlyForADifferentTextAndNeverForThePrinterBox)
{
    std::vector<ConfField> changed;
    int tabClicks = 0;
    ConfView::Events events;
    events.textChanged = [&](ConfField field) { changed.push_back(field); };
    events.tabMainClick = [&] { ++tabClicks; };
    view.setEvents(events);
    view.setText(ConfField::txtPrintFile, "abc");
    view.setText(ConfField::txtPrintFile, "abc");
    view.setText(ConfField::cmbPrint, "PDF9");
    view.setText(ConfField::txtChkTime, "500");
    EXPECT_EQ(changed, (std::vector<ConfField>{ConfField::txtPrintFile, ConfField::txtChkTime}));
    EXPECT_EQ(view.text(ConfField::cmbPrint), "PDF9");

    view.selectTab(3);
    view.selectTab(3);
    EXPECT_EQ(view.selectedTab(), 3);
    EXPECT_EQ(tabClicks, 1);
}

TEST_F(Win32Conf, TheFolderPickerIsModalOverTheDialogAndFillsItsBox)
{
    HWND pickerOwner = nullptr;
    bool dialogTookInput = true;
    showFolderPicker = [&](TextField& field) {
        Win32FolderPickerView picker{FrmFileDesign()};
        const Win32FolderReader folders;
        FrmFile frmFile(picker, folders, messages);
        frmFile.objRetField = &field;
        WhileModal([&] { return &picker.form(); }, [&] { frmFile.Show(); },
                   [&] {
                       pickerOwner = GetWindow(picker.form().window(), GW_OWNER);
                       dialogTookInput = IsWindowEnabled(view.form().window());
                       SendMessageW(picker.form().control("cmdExec"), BM_CLICK, 0, 0);
                   });
    };
    const std::string here = utf8(std::filesystem::current_path());
    open(view, frmConf, [&] {
        SendMessageW(child("cmdChkDir"), BM_CLICK, 0, 0);
        EXPECT_TRUE(IsWindowEnabled(view.form().window()));
        EXPECT_EQ(view.text(ConfField::txtFileChkDir), here);
        EXPECT_TRUE(view.applyEnabled());
        view.unload();
    });
    EXPECT_EQ(pickerOwner, view.form().window());
    EXPECT_FALSE(dialogTookInput);
}

} // namespace
} // namespace kumoden
