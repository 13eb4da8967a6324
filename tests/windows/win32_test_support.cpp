#include "tests/windows/win32_test_support.h"

#include "platform/win32/forms/win32_form.h"
#include "tests/support/eventually.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string_view>
#include <vector>

namespace kumoden::win32test {
namespace {

using namespace std::chrono_literals;

// A window the steps wait for inside its modal loop, looked for from a
// timer: up() gives it once it is up; close() is the last resort.
struct Pending {
    std::function<HWND()> up;
    std::function<void(HWND)> steps;
    std::function<void(HWND)> close;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::now() + 20s;
    bool acted = false;
    bool forced = false;
};

std::map<UINT_PTR, Pending*>& pendings()
{
    static std::map<UINT_PTR, Pending*> waiting;
    return waiting;
}

void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD)
{
    const auto found = pendings().find(timer);
    const HWND window = found != pendings().end() ? found->second->up() : nullptr;
    if (window == nullptr) {
        return;
    }
    Pending& pending = *found->second;
    if (!pending.acted) {
        pending.acted = true;
        pending.deadline = std::chrono::steady_clock::time_point::max();
        pending.steps(window);
        pending.deadline = std::chrono::steady_clock::now() + 20s;
    } else if (std::chrono::steady_clock::now() > pending.deadline && !pending.forced) {
        pending.forced = true;
        pending.close(window);
    }
}

// Runs show() with the pending window watched for; a window that never
// comes up, or that the steps leave open, fails the test.
void whileUp(Pending pending, const std::function<void()>& show)
{
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, tick);
    ASSERT_NE(timer, 0u);
    pendings()[timer] = &pending;
    show();
    KillTimer(nullptr, timer);
    pendings().erase(timer);
    EXPECT_TRUE(pending.acted) << "the window closed, or never came up, before the steps ran";
    EXPECT_FALSE(pending.forced) << "the window was still open 20 s after the steps";
}

void settle()
{
    // The input reaches the queue at once; what it causes may post more.
    for (int round = 0; round < 5; ++round) {
        Win32Form::ProcessMessages();
        Sleep(2);
    }
    Win32Form::ProcessMessages();
}

INPUT key(WORD code, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

bool CanMakeWindows()
{
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

HWND HiddenWindow(const wchar_t* className, WNDPROC procedure, void* data)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    return window;
}

bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done)
{
    return test::eventually(limit, [&] {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return done();
    });
}

void WhileModal(const std::function<Win32Form*()>& form, const std::function<void()>& show,
                const std::function<void()>& steps)
{
    whileUp({[&] {
                 Win32Form* shown = form();
                 return shown != nullptr && shown->isModal() ? shown->window() : nullptr;
             },
             [&](HWND) { steps(); }, [&](HWND) { form()->unload(); }},
            show);
}

void WhileShown(const wchar_t* className, const std::function<void()>& show,
                const std::function<void(HWND)>& steps)
{
    const std::wstring wanted = className;
    const auto shown = [&] {
        std::pair<const std::wstring*, HWND> search{&wanted, nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM data) -> BOOL {
                auto& [name, found] = *reinterpret_cast<std::pair<const std::wstring*, HWND>*>(data);
                wchar_t own[16]{};
                GetClassNameW(window, own, 16);
                found = *name == own && IsWindowVisible(window) ? window : nullptr;
                return found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.second;
    };
    whileUp(
        {shown, steps, [&](HWND window) { wanted == L"#32768" ? EndMenu() : EndDialog(window, IDCANCEL); }},
        show);
}

void PressKey(WORD code, const std::vector<WORD>& modifiers)
{
    std::vector<INPUT> inputs;
    for (const WORD modifier : modifiers) {
        inputs.push_back(key(modifier, false));
    }
    inputs.push_back(key(code, false));
    inputs.push_back(key(code, true));
    for (auto modifier = std::rbegin(modifiers); modifier != std::rend(modifiers); ++modifier) {
        inputs.push_back(key(*modifier, true));
    }
    const auto sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    EXPECT_EQ(sent, inputs.size());
    settle();
}

void Type(const char* text)
{
    for (const char* c = text; *c != '\0'; ++c) {
        const auto character = static_cast<unsigned char>(*c);
        const auto code = static_cast<WORD>(std::toupper(character));
        if (std::isupper(character)) {
            PressKey(code, {VK_SHIFT});
        } else {
            PressKey(code);
        }
    }
}

void ClickItem(HWND control, int index, int count)
{
    wchar_t kind[32]{};
    GetClassNameW(control, kind, 32);
    const bool tabs = std::wstring_view(kind) == WC_TABCONTROLW;
    RECT box{};
    const LRESULT found = SendMessageW(control, tabs ? TCM_GETITEMRECT : LB_GETITEMRECT,
                                       static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&box));
    EXPECT_NE(found, tabs ? FALSE : LB_ERR) << "no item " << index;
    const LPARAM centre = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    for (int click = 0; click < count; ++click) {
        SendMessageW(control, click == 0 ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, centre);
        SendMessageW(control, WM_LBUTTONUP, 0, centre);
    }
    settle();
}

} // namespace kumoden::win32test
