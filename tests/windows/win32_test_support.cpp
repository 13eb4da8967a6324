#include "tests/windows/win32_test_support.h"

#include "platform/win32/win32_form.h"
#include "tests/support/eventually.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <vector>

namespace kumoden::win32test {
namespace {

using namespace std::chrono_literals;

struct Pending {
    std::function<Win32Form*()> form;
    std::function<void()> steps;
    std::chrono::steady_clock::time_point deadline;
    bool done = false;
};

std::map<UINT_PTR, Pending*>& pendings()
{
    static std::map<UINT_PTR, Pending*> waiting;
    return waiting;
}

void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD)
{
    const auto found = pendings().find(timer);
    if (found == pendings().end()) {
        return;
    }
    Pending& pending = *found->second;
    Win32Form* form = pending.form();
    if (form == nullptr || !form->isModal()) {
        if (std::chrono::steady_clock::now() > pending.deadline) {
            KillTimer(nullptr, timer);
            pendings().erase(found);
            pending.done = true;
            ADD_FAILURE() << "the form did not come up";
        }
        return;
    }
    KillTimer(nullptr, timer);
    pendings().erase(found);
    pending.done = true;
    pending.steps();
    if (form->isModal()) {
        ADD_FAILURE() << "the form is still open";
        form->unload();
    }
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

LPARAM centre(const RECT& box)
{
    return MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
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
    Pending pending{form, steps, std::chrono::steady_clock::now() + 10s};
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, tick);
    ASSERT_NE(timer, 0u);
    pendings()[timer] = &pending;
    show();
    if (!pending.done) {
        KillTimer(nullptr, timer);
        pendings().erase(timer);
        ADD_FAILURE() << "the form closed before the steps ran";
    }
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

void ClickEntry(HWND list, int row)
{
    RECT box{};
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&box)),
              LB_ERR);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, centre(box));
    SendMessageW(list, WM_LBUTTONUP, 0, centre(box));
    settle();
}

void DoubleClick(HWND list, int row)
{
    RECT box{};
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&box)),
              LB_ERR);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, centre(box));
    SendMessageW(list, WM_LBUTTONUP, 0, centre(box));
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, centre(box));
    SendMessageW(list, WM_LBUTTONUP, 0, centre(box));
    settle();
}

void ClickTab(HWND tabs, int index)
{
    RECT box{};
    ASSERT_TRUE(
        SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&box)));
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, centre(box));
    SendMessageW(tabs, WM_LBUTTONUP, 0, centre(box));
    settle();
}

} // namespace kumoden::win32test
