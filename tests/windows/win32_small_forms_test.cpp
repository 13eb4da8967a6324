// The version box and the splash as Win32 windows under Wine.
#include "app/splash_design.h"
#include "app/start_up.h"
#include "platform/win32/forms/win32_small_forms.h"
#include "platform/win32/system/wide.h"
#include "tests/windows/win32_form_driver.h"
#include "tests/windows/win32_test_support.h"
#include "tray/about_design.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace kumoden {
namespace {

using namespace win32test;

// A shown form, seen as a user sees it.
class Shown final : public test::Win32FormDriver<test::FormDriver> {
public:
    explicit Shown(Win32Form& form) : m_form(form) {}
    Win32Form& form() const override { return m_form; }

private:
    Win32Form& m_form;
};

// The version box as designed, its picture filling its box.
void expectLaidOut(Win32Form& form)
{
    const Shown shown(form);
    EXPECT_EQ(shown.title(), "ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(shown.look("Label4").caption, "バージョン　" KUMODEN_VERSION);
    EXPECT_EQ(shown.look("Label1").caption, "Kumoden");
    for (const char* name : {"Image1", "Label2", "cmdOK"}) {
        EXPECT_EQ(shown.box(name), shown.pixels(FrmAboutDesign().control(name).box)) << name;
    }
    // Stretched as the box is wide.
    const HWND image = form.control("Image1");
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageW(image, STM_GETICON, 0, 0)), &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor); // none for a monochrome icon
    const test::PixelBox imageBox = shown.box("Image1");
    EXPECT_EQ(mask.bmWidth, imageBox.width);
    EXPECT_EQ(info.hbmColor != nullptr ? mask.bmHeight : mask.bmHeight / 2, imageBox.height);
    EXPECT_EQ(GetWindowLongPtrW(image, GWL_STYLE) & SS_CENTERIMAGE, 0);
    EXPECT_TRUE(GetWindowLongPtrW(form.control("Line1"), GWL_STYLE) & SS_ETCHEDHORZ);
    EXPECT_EQ(shown.look("Label3").face, kFormFontFace); // the form's 9 points
    EXPECT_DOUBLE_EQ(shown.look("Label3").points, 9);
    EXPECT_EQ(form.nameOf(GetFocus()), "cmdOK");
}

TEST(Win32AboutView, ShowsTheVersionAndClosesByOkEnterEscAndTheCloseButton)
{
    Win32AboutView frmAbout(FrmAboutDesign());
    const std::function<void(Win32Form&)> closes[] = {
        [](Win32Form& form) {
            expectLaidOut(form);
            SendMessageW(form.control("cmdOK"), BM_CLICK, 0, 0);
        },
        [](Win32Form&) { PressKey(VK_RETURN); }, [](Win32Form&) { PressKey(VK_ESCAPE); },
        [](Win32Form& form) { SendMessageW(form.window(), WM_SYSCOMMAND, SC_CLOSE, 0); }};
    for (const auto& close : closes) {
        WhileModal([&] { return frmAbout.form(); }, [&] { frmAbout.showModal(); },
                   [&] { close(*frmAbout.form()); });
        EXPECT_EQ(frmAbout.form(), nullptr);
    }
}

TEST(Win32Splash, CentredWithAProgressBarAndGoneWhenUnloaded)
{
    Win32Splash frmStart(FrmStartDesign());
    frmStart.show();
    ASSERT_NE(frmStart.form(), nullptr);
    Win32Form& form = *frmStart.form();
    const HWND window = form.window();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(WindowText(form.control("lblBlue")), "タスクバーに常駐します。");
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU); // no close button

    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_LE(std::abs((frame.left + frame.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((frame.top + frame.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);

    const HWND bar = form.control("prbStart");
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), kSplashSteps);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
    frmStart.setProgress(6.6);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 7);

    frmStart.unload();
    EXPECT_EQ(frmStart.form(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    frmStart.setProgress(8); // after the unload: nothing to fill
}

} // namespace
} // namespace kumoden
