// The icon and its menu on the real API (under Wine's null graphics driver
// in CI, which makes real hidden windows and menus but has no notification
// area): the icon's mouse messages reach the program as what they mean, its
// requests reach a stand-in notification area, and the menu is placed where
// its flags and exclusion rectangle say.
#include "platform/win32/wide.h"
#include "platform/win32/win32_popup_menu.h"
#include "platform/win32/win32_tray_icon.h"
#include "tests/windows/win32_test_support.h"
#include "tray/frm_dummy.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstring>
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
    bool hasParams = false;
    TPMPARAMS params{};
};
TrackCall s_lastTrack;
decltype(&TrackPopupMenuEx) s_realTrack = nullptr;

BOOL WINAPI recordTrack(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params)
{
    s_lastTrack = {flags, x, y, params != nullptr, params != nullptr ? *params : TPMPARAMS{}};
    return s_realTrack(menu, flags, x, y, owner, params);
}

// Puts recordTrack in the program's import of TrackPopupMenuEx for as long
// as it lives; the calls still reach the system's.
class TrackRecorder {
public:
    TrackRecorder()
    {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name != 0; ++dll) {
            auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
            for (; dll->OriginalFirstThunk != 0 && name->u1.AddressOfData != 0; ++name, ++slot) {
                if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) &&
                    std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name,
                                "TrackPopupMenuEx") == 0) {
                    m_slot = &slot->u1.Function;
                }
            }
        }
        if (m_slot != nullptr) {
            s_realTrack = reinterpret_cast<decltype(s_realTrack)>(*m_slot);
            put(reinterpret_cast<ULONG_PTR>(&recordTrack));
        }
    }
    ~TrackRecorder()
    {
        if (m_slot != nullptr) {
            put(reinterpret_cast<ULONG_PTR>(s_realTrack));
        }
    }
    TrackRecorder(const TrackRecorder&) = delete;
    TrackRecorder& operator=(const TrackRecorder&) = delete;

    bool installed() const { return m_slot != nullptr; }

private:
    void put(ULONG_PTR function)
    {
        DWORD old = 0;
        VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &old);
        *m_slot = function;
        VirtualProtect(m_slot, sizeof *m_slot, old, &old);
    }

    decltype(IMAGE_THUNK_DATA::u1.Function)* m_slot = nullptr;
};

// With no notification area, Shell_NotifyIconW hands its requests to
// whatever top-level window of the class "Shell_TrayWnd" there is, as
// WM_COPYDATA with the request as dwData. The stand-in records them and can
// refuse to add. A request as it reaches it: the command, and the first
// fields of the data (window, icon number, flags, callback message, tip).
struct Request {
    DWORD command = 0;
    UINT window = 0;
    UINT iconNumber = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::wstring tip;
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
        Request request;
        request.command = static_cast<DWORD>(data->dwData);
        const auto* bytes = static_cast<const unsigned char*>(data->lpData);
        if (data->cbData >= 16 + 128 * sizeof(wchar_t)) {
            std::memcpy(&request.window, bytes, sizeof request.window);
            std::memcpy(&request.iconNumber, bytes + 4, sizeof request.iconNumber);
            std::memcpy(&request.flags, bytes + 8, sizeof request.flags);
            std::memcpy(&request.callbackMessage, bytes + 12, sizeof request.callbackMessage);
            request.tip.assign(reinterpret_cast<const wchar_t*>(bytes + 16));
        }
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
    EXPECT_EQ(added.window, static_cast<UINT>(reinterpret_cast<UINT_PTR>(window)));
    EXPECT_EQ(added.iconNumber, 0u);
    EXPECT_EQ(added.flags & (NIF_MESSAGE | NIF_ICON | NIF_TIP), UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP});
    EXPECT_EQ(added.callbackMessage, kTrayCallbackMessage);
    EXPECT_EQ(added.tip, ToWide(kTrayTip));

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

TEST_F(Win32PopupMenuTest, TheMenuHoldsItsEntriesWithTheDefaultInBold)
{
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
    EXPECT_EQ(s_lastTrack.x, sw);
    EXPECT_EQ(s_lastTrack.y, sh);
    ASSERT_TRUE(s_lastTrack.hasParams);
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
    const RECT right = shownAt({kRightVertical, sw / 2, sh / 4, {}});
    EXPECT_EQ(right.right, sw / 2);
    EXPECT_EQ(right.top, sh / 4);
    const RECT left = shownAt({kTpmVertical, sw / 2, sh / 4, {}});
    EXPECT_EQ(left.left, sw / 2);
    EXPECT_EQ(left.top, sh / 4);
    const RECT above = shownAt({kTpmBottomAlign, sw / 2, sh / 2, {}});
    EXPECT_EQ(above.left, sw / 2);
    EXPECT_EQ(above.bottom, sh / 2);
    EXPECT_GT(left.bottom - left.top, 4 * 12);
}

TEST_F(Win32PopupMenuTest, TheEntryChosenWithTheKeysIsReturnedByItsPosition)
{
    const PopupPlacement at{kTpmVertical, 10, 10, {}};
    // Down, down, down: the first entry, then over each separator.
    EXPECT_EQ(
        track(at,
              {{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}}),
        4);
    // The access key of 終了(&E).
    EXPECT_EQ(track(at, {{WM_CHAR, L'e'}}), 6);
}

} // namespace
} // namespace kumoden::win32test
