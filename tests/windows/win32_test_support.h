#pragma once

#include "tests/support/test_platform_win32.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

namespace kumoden {
class Win32Form;
}

namespace kumoden::win32test {

using test::AddAttributes;

// Whether top-level windows can be made: not under Wine without a display
// (X, or its null graphics driver).
bool CanMakeWindows();
// A hidden top-level tool window of a class of that name (registered on
// first use), its procedure's data in GWLP_USERDATA.
HWND HiddenWindow(const wchar_t* className, WNDPROC procedure = DefWindowProcW, void* data = nullptr);
// Polls until done() holds or the time is up; messages of this thread are
// handled meanwhile.
bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done);

// Runs show(), which shows a form modally, and the steps inside the form's
// modal loop once form() gives it shown. A form that does not come up, or
// that the steps leave open 20 seconds, fails the test and is unloaded: the
// loop never outlives the test.
void WhileModal(const std::function<Win32Form*()>& form, const std::function<void()>& show,
                const std::function<void()>& steps);
// The same for a window of this thread of the class given, a system dialog
// ("#32770") or a menu ("#32768"), handed to the steps once shown; one left
// open is cancelled.
void WhileShown(const wchar_t* className, const std::function<void()>& show,
                const std::function<void(HWND)>& steps);
// Presses a key with the modifiers held, as the keyboard would (to the
// focused window of the foreground one), and handles what it caused.
void PressKey(WORD key, const std::vector<WORD>& modifiers = {});
// Types the text's characters (digits, letters) as keys, Shift held for
// capitals.
void Type(const char* text);
// Clicks (count 2: double-clicks, as the mouse makes them) the middle of a
// list box's entry or a tab control's tab.
void ClickItem(HWND control, int index, int count = 1);

} // namespace kumoden::win32test
