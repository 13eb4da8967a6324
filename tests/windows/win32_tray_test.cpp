// The icon and its menu on the real API (under Wine's null graphics driver
// in CI, which makes real hidden windows and menus but has no notification
// area): the icon's mouse messages reach the program as what they mean, its
// requests reach a stand-in notification area, and the menu is placed where
// its flags and exclusion rectangle say.
#include "platform/win32/shell/win32_popup_menu.h"
#include "platform/win32/shell/win32_tray_icon.h"
#include "platform/win32/system/wide.h"
#include "tests/windows/win32_test_support.h"
#include "tray/frm_dummy.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace kumoden::win32test {
namespace {

using namespace std::chrono_literals;

// Wine's TrackPopupMenuEx (8.0) honours the alignment flags and keeps the
// menu on the screen, but does not look at the exclusion rectangle.
bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// What the program last passed to TrackPopupMenuEx.
struct TrackCall {
    UINT flags = 0;
    int x = 0;
    int y = 0;
    TPMPARAMS params{}; // all 0 when none were passed
};
TrackCall s_lastTrack;
decltype(&TrackPopupMenuEx) s_realTrack = nullptr;

BOOL WINAPI recordTrack(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params)
{
    s_lastTrack = {flags, x, y, params != nullptr ? *params : TPMPARAMS{}};
    return s_realTrack(menu, flags, x, y, owner, params);
}

// Puts recordTrack in the program's import slot of TrackPopupMenuEx for as
// long as it lives; the calls still reach the system's.
class TrackRecorder {
public:
    TrackRecorder()
    {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const auto& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
        const auto real =
            reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "TrackPopupMenuEx"));
        s_realTrack = reinterpret_cast<decltype(s_realTrack)>(real);
        auto* slots = reinterpret_cast<ULONG_PTR*>(base + table.VirtualAddress);
        for (std::size_t i = 0; i < table.Size / sizeof *slots; ++i) {
            m_slot = slots[i] == real ? &slots[i] : m_slot;
        }
        put(reinterpret_cast<ULONG_PTR>(&recordTrack));
    }
    ~TrackRecorder() { put(reinterpret_cast<ULONG_PTR>(s_realTrack)); }
    TrackRecorder(const TrackRecorder&) = delete;
    TrackRecorder& operator=(const TrackRecorder&) = delete;

    bool installed() const { return m_slot != nullptr; }

private:
    void put(ULONG_PTR function)
    {
        DWORD old = 0;
        if (m_slot != nullptr && VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &old)) {
            *m_slot = function;
            VirtualProtect(m_slot, sizeof *m_slot, old, &old);
        }
    }

    ULONG_PTR* m_slot = nullptr;
};

// With no notification area, Shell_NotifyIconW hands its requests to
// whatever top-level window of the class "Shell_TrayWnd" there is, as
// WM_COPYDATA with the command as dwData and the data starting with the
// window, the icon number, the flags, the callback message and the tip. The
// stand-in records them and can refuse to add.
struct Request {
    UINT window;
    UINT iconNumber;
    UINT flags;
    UINT callbackMessage;
    wchar_t tip[128];
    DWORD command;
};

class StandInShell {
public:
    StandInShell() : m_window(HiddenWindow(L"Shell_TrayWnd", procedure, this)) {}
    ~StandInShell() { DestroyWindow(m_window); }
    StandInShell(const StandInShell&) = delete;
    StandInShell& operator=(const StandInShell&) = delete;

    bool exists() const { return m_window != nullptr; }
    std::vector<DWORD> commands() const
    {
        std::vector<DWORD> found;
        for (const Request& request : requests) {
            found.push_back(request.command);
        }
        return found;
    }

    std::vector<Request> requests;
    bool refuseAdd = false;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<StandInShell*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr || message != WM_COPYDATA) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        Request request{};
        if (data->cbData >= offsetof(Request, command)) {
            std::memcpy(&request, data->lpData, offsetof(Request, command));
        }
        request.command = static_cast<DWORD>(data->dwData);
        self->requests.push_back(request);
        return request.command == NIM_ADD && self->refuseAdd ? FALSE : TRUE;
    }

    HWND m_window;
};

// A new taskbar's "TaskbarCreated", broadcast to every top-level window as
// Explorer does.
void taskbarCreated()
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG,
                        5000, &result);
}

TEST(Win32TrayIconTest, MouseMessagesBecomeActionsAndATaskbarThatComesGetsTheIconUntilItIsRemoved)
{
    ASSERT_TRUE(CanMakeWindows()) << "Wine makes windows with its null graphics driver";
    ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "a notification area is there already";
    Win32TrayIcon icon;
    const auto window = static_cast<HWND>(icon.window());
    ASSERT_NE(window, nullptr);
    // Top-level, so that a new taskbar's broadcast reaches it; never shown.
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(window));

    std::vector<TrayAction> actions;
    icon.setActionHandler([&](TrayAction action) { actions.push_back(action); });
    // No notification area at first: the program runs on without the icon,
    // and its messages (once one appears) still reach it.
    EXPECT_FALSE(icon.add(std::string(kTrayTip)));
    EXPECT_FALSE(icon.shown());
    for (const UINT mouse : {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                             WM_LBUTTONDBLCLK, WM_MBUTTONDOWN, WM_CONTEXTMENU, WM_LBUTTONDOWN}) {
        PostMessageW(window, kTrayCallbackMessage, 0, mouse);
    }
    // The last one's action tells that those before it were all handled.
    ASSERT_TRUE(WaitFor(5s, [&] { return actions.size() >= 4; })) << actions.size();
    EXPECT_EQ(actions, (std::vector<TrayAction>{TrayAction::Context, TrayAction::PrimaryClick,
                                                TrayAction::Activate, TrayAction::PrimaryClick}));

    StandInShell shell;
    ASSERT_TRUE(shell.exists());
    taskbarCreated();
    ASSERT_EQ(shell.commands(), std::vector<DWORD>{NIM_ADD});
    EXPECT_TRUE(icon.shown());
    const Request& added = shell.requests[0];
    // Known to the shell by its own window and the number 0.
    EXPECT_EQ(std::tuple(added.window, added.iconNumber, added.callbackMessage),
              std::tuple(static_cast<UINT>(reinterpret_cast<UINT_PTR>(window)), 0u, kTrayCallbackMessage));
    EXPECT_EQ(added.flags & (NIF_MESSAGE | NIF_ICON | NIF_TIP), UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP});
    EXPECT_EQ(std::wstring(added.tip), ToWide(kTrayTip));

    // One that still has the icon refuses to add it again: it is modified.
    shell.refuseAdd = true;
    taskbarCreated();
    EXPECT_EQ(shell.commands(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY}));
    EXPECT_TRUE(icon.shown());
    shell.refuseAdd = false;
    shell.requests.clear();

    // A notice is the icon's balloon while it is shown, and nothing after.
    icon.showNotice("PDF印刷ツール", "監視フォルダーが見つかりません");
    icon.remove();
    icon.showNotice("PDF印刷ツール", "監視フォルダーが見つかりません");
    EXPECT_EQ(shell.commands(), (std::vector<DWORD>{NIM_MODIFY, NIM_DELETE}));
    EXPECT_NE(shell.requests[0].flags & NIF_INFO, 0u);
    // Nor does a new taskbar bring a removed icon back.
    taskbarCreated();
    EXPECT_EQ(shell.requests.size(), 2u);
    EXPECT_FALSE(icon.shown());
    // Removed, the icon tells of nothing more, though its messages still come.
    SendMessageW(window, kTrayCallbackMessage, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(actions.size(), 4u);
}

const std::vector<MenuEntry> kEntries{
    {"環境設定(&C)"}, {"-"}, {"ハードコピー用（プリンター設定）"}, {"-"}, {"バージョン情報(&V)"}, {"-"},
    {"終了(&E)"}};

class Win32PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CanMakeWindows()) << "Wine makes windows with its null graphics driver";
        m_owner = HiddenWindow(L"KumodenMenuOwner");
        ASSERT_NE(m_owner, nullptr);
        popup.setWindow(m_owner);
        popup.setEntries(kEntries);
        popup.setDefaultEntry(0);
    }
    void TearDown() override { DestroyWindow(m_owner); }

    // Shows the menu with these keys already waiting; a menu still open
    // after 10 seconds is closed (track returns -1 and the test fails).
    int track(const PopupPlacement& placement, const std::vector<std::pair<UINT, WPARAM>>& keys)
    {
        for (const auto& [message, key] : keys) {
            PostMessageW(m_owner, message, key, 0);
        }
        const UINT_PTR limit = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
        const int chosen = popup.track(placement);
        KillTimer(nullptr, limit);
        return chosen;
    }
    // Where the menu is while it tracks; then Esc closes it, choosing nothing.
    RECT shownAt(const PopupPlacement& placement)
    {
        RECT shown{};
        WhileShown(
            L"#32768", [&] { EXPECT_EQ(track(placement, {}), -1); },
            [&](HWND menu) {
                GetWindowRect(menu, &shown);
                PostMessageW(m_owner, WM_KEYDOWN, VK_ESCAPE, 0);
            });
        return shown;
    }

    Win32PopupMenu popup;
    HWND m_owner = nullptr;
};

TEST_F(Win32PopupMenuTest, TheMenuHoldsItsEntriesWithTheDefaultInBoldAndReturnsTheChosenOnesPosition)
{
    // Down, down, down: the first entry, then over each separator.
    const std::pair<UINT, WPARAM> down{WM_KEYDOWN, VK_DOWN};
    EXPECT_EQ(track({kTpmVertical, 10, 10, {}}, {down, down, down, {WM_KEYDOWN, VK_RETURN}}), 4);

    const auto menu = static_cast<HMENU>(popup.handle());
    ASSERT_EQ(GetMenuItemCount(menu), 7);
    for (UINT i = 0; i < 7; ++i) {
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        EXPECT_EQ((state & MF_SEPARATOR) != 0, i % 2 == 1) << i;
        EXPECT_EQ((state & MF_DEFAULT) != 0, i == 0) << i;
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

TEST_F(Win32PopupMenuTest, TheFlagsAndTheExclusionRectangleReachTrackPopupMenuEx)
{
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(sw, 400);
    ASSERT_GT(sh, 300);
    constexpr std::uint32_t kRightVertical = kTpmRightAlign | kTpmVertical;
    const TrackRecorder recorder;
    ASSERT_TRUE(recorder.installed());

    // A taskbar at the bottom: anchored at the screen's corner, the menu
    // goes up onto the notification area's top edge rather than over it.
    const Rect strip{sw - 124, sh - 30, sw, sh};
    const RECT bottom = shownAt({kRightVertical, sw, sh, strip});
    EXPECT_EQ(s_lastTrack.flags, kRightVertical | TPM_RETURNCMD | TPM_NONOTIFY);
    EXPECT_EQ(std::pair(s_lastTrack.x, s_lastTrack.y), std::pair(sw, sh));
    EXPECT_EQ(s_lastTrack.params.cbSize, sizeof(TPMPARAMS));
    const RECT& passed = s_lastTrack.params.rcExclude;
    EXPECT_EQ((Rect{passed.left, passed.top, passed.right, passed.bottom}), strip);
    EXPECT_EQ(bottom.right, sw);
    // Wine only keeps it on the screen, over the strip.
    EXPECT_EQ(bottom.bottom, underWine() ? sh : strip.top);

    // A taskbar at the top: the menu would fit at its anchor, over the
    // notification area; Windows moves it below (vertically first).
    const Rect topStrip{sw - 124, 0, sw, 30};
    const RECT top = shownAt({kRightVertical, sw, 0, topStrip});
    EXPECT_EQ(top.right, sw);
    EXPECT_EQ(top.top, underWine() ? 0 : topStrip.bottom);

    // Where nothing is excluded the anchor is a corner: the right one for a
    // right-aligned menu, the left one otherwise, the top edge at y (the
    // bottom one when bottom-aligned).
    for (const auto& [flags, side, edge] : {std::tuple{kRightVertical, &RECT::right, &RECT::top},
                                            std::tuple{kTpmVertical, &RECT::left, &RECT::top},
                                            std::tuple{kTpmBottomAlign, &RECT::left, &RECT::bottom}}) {
        const RECT shown = shownAt({flags, sw / 2, sh / 2, {}});
        EXPECT_EQ(shown.*side, sw / 2) << flags;
        EXPECT_EQ(shown.*edge, sh / 2) << flags;
        EXPECT_GT(shown.bottom - shown.top, 4 * 12) << flags;
    }
}

} // namespace
} // namespace kumoden::win32test
