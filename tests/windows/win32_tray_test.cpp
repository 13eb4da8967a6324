// The icon and its menu on the real API (under Wine's null graphics driver
// in CI, which makes real hidden windows and menus but has no notification
// area): the icon's mouse messages reach the program as the mouse-move
// event carries them, and the menu holds, measures and returns its entries.
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_popup_menu.h"
#include "platform/win32/win32_tray_icon.h"
#include "tests/windows/win32_test_support.h"
#include "tray/frm_dummy.h"
#include "tray/popup_placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace kumoden::win32test {
namespace {

using namespace std::chrono_literals;

constexpr UINT kSentinel = WM_APP + 0x30;

// A hidden window that hands its messages to the icon first, as the
// resident window does, and counts the sentinel that marks the queue's end.
struct IconWindow {
    Win32TrayIcon* icon = nullptr;
    int sentinels = 0;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<IconWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == kSentinel) {
            ++self->sentinels;
            return 0;
        }
        if (self != nullptr && self->icon != nullptr && self->icon->handleMessage(message, wParam, lParam)) {
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

class Win32TrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CanMakeWindows()) << "Wine makes windows with its null graphics driver";
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = IconWindow::procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KumodenTrayTest";
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(WS_EX_TOOLWINDOW, L"KumodenTrayTest", L"", WS_OVERLAPPED, 0, 0, 0, 0,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_owner));
    }
    void TearDown() override
    {
        m_owner.icon = nullptr;
        DestroyWindow(m_window);
    }

    // Posts the markers, then the sentinel, and waits until it has arrived:
    // whatever the markers did is done by then.
    void postAndSettle(const std::vector<std::pair<UINT, LPARAM>>& messages)
    {
        const int before = m_owner.sentinels;
        for (const auto& [message, lParam] : messages) {
            PostMessageW(m_window, message, 0, lParam);
        }
        PostMessageW(m_window, kSentinel, 0, 0);
        ASSERT_TRUE(WaitFor(5s, [&] { return m_owner.sentinels > before; }));
    }

    HWND m_window = nullptr;
    IconWindow m_owner;
};

TEST_F(Win32TrayTest, TheIconsMouseMessagesReachTheHandlerAsTheMouseMoveCarriesThem)
{
    Win32Desktop desktop;
    Win32TrayIcon icon(desktop);
    icon.setWindow(m_window);
    m_owner.icon = &icon;
    std::vector<double> xs;
    icon.setMouseMoveHandler([&](int button, int, double x, double y) {
        EXPECT_EQ(button, 0);
        EXPECT_EQ(y, 0.0);
        xs.push_back(x);
    });
    // No notification area here: the program runs on without the icon, and
    // its messages (once one appears) still reach it.
    EXPECT_FALSE(icon.add(std::string(kTrayTip)));
    EXPECT_FALSE(icon.shown());

    postAndSettle({{kTrayCallbackMessage, WM_MOUSEMOVE},
                   {kTrayCallbackMessage, WM_RBUTTONDOWN},
                   {kTrayCallbackMessage, WM_LBUTTONDBLCLK}});
    const double perPixel = desktop.twipsPerPixelX();
    ASSERT_EQ(xs.size(), 3u);
    EXPECT_EQ(xs[1], 516 * perPixel); // 7740 at 96 dots per inch
    std::vector<int> decoded;
    for (double x : xs) {
        decoded.push_back(DecodeIconMessage(x, perPixel));
    }
    EXPECT_EQ(decoded, (std::vector<int>{kMouseMove, kRightButtonDown, kLeftButtonDoubleClick}));

    // Removed, the icon hears nothing more, though its messages still come.
    icon.remove();
    postAndSettle({{kTrayCallbackMessage, WM_RBUTTONDOWN}});
    EXPECT_EQ(xs.size(), 3u);
}

const std::vector<MenuEntry> kEntries{
    {"環境設定(&C)"}, {"-"}, {"ハードコピー用（プリンター設定）"}, {"-"}, {"バージョン情報(&V)"}, {"-"},
    {"終了(&E)"}};

// Shows the menu with these messages already waiting; a menu still open
// after 10 seconds is closed (track returns -1 and the test fails).
class MenuUser {
public:
    explicit MenuUser(HWND owner) : m_owner(owner) {}

    int track(Win32PopupMenu& menu, Point at, const std::vector<std::pair<UINT, WPARAM>>& keys)
    {
        current = this;
        for (const auto& [message, key] : keys) {
            PostMessageW(m_owner, message, key, 0);
        }
        const UINT_PTR look = SetTimer(nullptr, 0, 50, lookAtMenu);
        const UINT_PTR limit = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
        const int chosen = menu.track(at);
        KillTimer(nullptr, look);
        KillTimer(nullptr, limit);
        current = nullptr;
        return chosen;
    }
    // The open menu's window, as first seen; closed with Esc when asked to.
    RECT shown{};
    bool seen = false;
    bool escapeWhenSeen = false;

private:
    static void CALLBACK lookAtMenu(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuUser* user = current;
        const HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (user == nullptr || user->seen || menuWindow == nullptr || !IsWindowVisible(menuWindow)) {
            return;
        }
        user->seen = GetWindowRect(menuWindow, &user->shown) != FALSE;
        if (user->escapeWhenSeen) {
            PostMessageW(user->m_owner, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    }

    static inline MenuUser* current = nullptr;
    HWND m_owner;
};

TEST_F(Win32TrayTest, TheMenuHoldsItsEntriesWithTheDefaultInBold)
{
    Win32PopupMenu popup;
    popup.setEntries(kEntries);
    popup.setDefaultEntry(0);
    const auto menu = static_cast<HMENU>(popup.handle());
    ASSERT_EQ(GetMenuItemCount(menu), 7);
    for (int i = 0; i < 7; ++i) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item));
        EXPECT_EQ((item.fType & MFT_SEPARATOR) != 0, i % 2 == 1) << i;
        EXPECT_EQ((item.fState & MFS_DEFAULT) != 0, i == 0) << i;
    }
    wchar_t caption[64]{};
    GetMenuStringW(menu, 2, caption, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(caption), L"ハードコピー用（プリンター設定）");

    // A separator is no default: none then.
    popup.setDefaultEntry(1);
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), static_cast<UINT>(-1));
    // The entries come anew, without the old ones.
    popup.setEntries({{"A"}, {"-"}, {"B"}});
    EXPECT_EQ(GetMenuItemCount(menu), 3);
}

TEST_F(Win32TrayTest, TheMenuIsShownAtItsPlaceInTheSizeItGaveAndNothingIsChosenOnEsc)
{
    Win32PopupMenu popup;
    popup.setWindow(m_window);
    popup.setEntries(kEntries);
    popup.setDefaultEntry(0);
    const Size size = popup.size();
    EXPECT_GT(size.width, 100);

    MenuUser user(m_window);
    user.escapeWhenSeen = true;
    EXPECT_EQ(user.track(popup, {40, 30}, {}), -1);
    ASSERT_TRUE(user.seen);
    EXPECT_EQ(user.shown.left, 40);
    EXPECT_EQ(user.shown.top, 30);
    EXPECT_EQ(user.shown.right - user.shown.left, size.width);
    EXPECT_EQ(user.shown.bottom - user.shown.top, size.height);

    // Without the bold default the widest entry sets the width alone.
    popup.setDefaultEntry(-1);
    MenuUser plain(m_window);
    plain.escapeWhenSeen = true;
    plain.track(popup, {40, 30}, {});
    ASSERT_TRUE(plain.seen);
    EXPECT_EQ(plain.shown.right - plain.shown.left, popup.size().width);
}

TEST_F(Win32TrayTest, TheEntryChosenWithTheKeysIsReturnedByItsPosition)
{
    Win32PopupMenu popup;
    popup.setWindow(m_window);
    popup.setEntries(kEntries);
    popup.setDefaultEntry(0);
    // Down, down, down: the first entry, then over each separator.
    MenuUser arrows(m_window);
    EXPECT_EQ(
        arrows.track(
            popup, {10, 10},
            {{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}}),
        4);
    // The access key of 終了(&E).
    MenuUser accessKey(m_window);
    EXPECT_EQ(accessKey.track(popup, {10, 10}, {{WM_CHAR, L'e'}}), 6);
}

} // namespace
} // namespace kumoden::win32test
