// The icon's bookkeeping with the notification area, against a stand-in
// for it: Wine's null graphics driver has none, and Shell_NotifyIconW then
// hands its requests to whatever top-level window of the class
// "Shell_TrayWnd" there is, as WM_COPYDATA with the request as dwData. The
// stand-in records them and can refuse to add.
#include "platform/win32/wide.h"
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

// What reached the stand-in: the request, and the first fields of the data
// (window, icon number, flags, callback message, tip), as Wine passes them.
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

class Win32TrayShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CanMakeWindows());
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "a notification area is there already";
    }

    // A new taskbar's "TaskbarCreated", broadcast to every top-level window
    // as Explorer does.
    static void taskbarCreated()
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG,
                            5000, &result);
    }

    Win32TrayIcon icon;
};

TEST_F(Win32TrayShellTest, TheIconIsAddedWhenATaskbarComesAndRemovedForGood)
{
    // None at first: the program runs on without it.
    EXPECT_FALSE(icon.add(std::string(kTrayTip)));
    StandInShell shell;
    ASSERT_TRUE(shell.exists());
    taskbarCreated();
    ASSERT_EQ(shell.commands(), std::vector<DWORD>{NIM_ADD});
    EXPECT_TRUE(icon.shown());
    const Request& added = shell.requests[0];
    // Known to the shell by its own window and the number 0.
    EXPECT_EQ(added.window, static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon.window())));
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
}

} // namespace
} // namespace kumoden::win32test
