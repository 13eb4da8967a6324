// The forms' modal loop and their keyboard, as a dialog's.
#include "platform/win32/forms/win32_form.h"

#include "platform/conf_view.h"

#include <algorithm>

namespace kumoden {
namespace {

int shiftState()
{
    int shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) {
        shift |= kShiftMask;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        shift |= kCtrlMask;
    }
    if (GetKeyState(VK_MENU) < 0) {
        shift |= kAltMask;
    }
    return shift;
}

} // namespace

std::vector<Win32Form*>& Win32Form::OpenForms()
{
    static thread_local std::vector<Win32Form*> forms;
    return forms;
}

void Win32Form::centre()
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(m_window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::showModal()
{
    m_owner = OpenForms().empty() ? nullptr : OpenForms().back()->m_window;
    SetWindowLongPtrW(m_window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_owner));
    centre();
    if (m_owner != nullptr) {
        EnableWindow(m_owner, FALSE);
    }
    m_unloaded = false;
    m_modal = true;
    OpenForms().push_back(this);
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    focusFirstStop();

    MSG message{};
    while (!m_unloaded) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: the loop that waits for that gets it.
            PostQuitMessage(static_cast<int>(message.wParam));
            unload();
            break;
        }
        if (got < 0) {
            unload();
            break;
        }
        route(message);
    }
    OpenForms().erase(std::find(OpenForms().begin(), OpenForms().end(), this));
    m_modal = false;
    SetWindowLongPtrW(m_window, GWLP_HWNDPARENT, 0);
    if (m_owner != nullptr) {
        SetActiveWindow(m_owner);
    }
    m_owner = nullptr;
}

void Win32Form::showCentred()
{
    centre();
    ShowWindow(m_window, SW_SHOWNORMAL);
    UpdateWindow(m_window);
}

void Win32Form::unload()
{
    // The owner takes input again before this window goes, so that it is
    // the one activated.
    if (m_modal && m_owner != nullptr) {
        EnableWindow(m_owner, TRUE);
    }
    ShowWindow(m_window, SW_HIDE);
    m_unloaded = true;
    if (m_modal) {
        PostMessageW(m_window, WM_NULL, 0, 0); // wakes the loop
    }
}

void Win32Form::ProcessMessages()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        route(message);
    }
}

void Win32Form::route(MSG& message)
{
    // Only the innermost form takes input; the ones beneath it are disabled.
    if (!OpenForms().empty()) {
        Win32Form& form = *OpenForms().back();
        const bool forForm = message.hwnd == form.m_window || IsChild(form.m_window, message.hwnd);
        if (forForm && form.preTranslate(message)) {
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool Win32Form::preTranslate(MSG& message)
{
    const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    if (keyDown && m_handlers.keyDown && m_handlers.keyDown(static_cast<int>(message.wParam), shiftState())) {
        return true;
    }
    // Tab goes round the stops in the designed order, across the pages.
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
        const auto code =
            SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
        if ((code & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) == 0 &&
            moveFocus(GetKeyState(VK_SHIFT) < 0)) {
            return true;
        }
    }
    return IsDialogMessageW(m_window, &message) != FALSE;
}

int Win32Form::stopOf(HWND window) const
{
    for (HWND at = window; at != nullptr && at != m_window; at = GetParent(at)) {
        const auto found = std::find(m_tabStops.begin(), m_tabStops.end(), at);
        if (found != m_tabStops.end()) {
            return static_cast<int>(found - m_tabStops.begin());
        }
    }
    return -1;
}

bool Win32Form::moveFocus(bool backwards)
{
    return moveFocus(stopOf(GetFocus()), backwards);
}

bool Win32Form::moveFocus(int current, bool backwards)
{
    const int count = static_cast<int>(m_tabStops.size());
    for (int step = 1; step <= count; ++step) {
        int next = 0;
        if (current < 0) {
            next = backwards ? count - step : step - 1;
        } else {
            next = ((current + (backwards ? -step : step)) % count + count) % count;
        }
        const HWND stop = m_tabStops[static_cast<std::size_t>(next)];
        if (reachable(stop)) {
            SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stop), TRUE);
            return true;
        }
    }
    return false;
}

void Win32Form::setEnabled(HWND control, bool enabled)
{
    const HWND focus = GetFocus();
    const bool losesFocus = !enabled && focus != nullptr && (focus == control || IsChild(control, focus));
    const int stop = losesFocus ? stopOf(focus) : -1;
    EnableWindow(control, enabled ? TRUE : FALSE);
    // A disabled window keeps no focus: it goes on to the next stop, as
    // Tab would take it, instead of to nowhere.
    if (losesFocus && m_modal) {
        moveFocus(stop, false);
    }
}

bool Win32Form::reachable(HWND control) const
{
    for (HWND at = control; at != nullptr && at != m_window; at = GetParent(at)) {
        if (!IsWindowEnabled(at)) {
            return false;
        }
    }
    return IsWindowVisible(control) != FALSE;
}

void Win32Form::focusFirstStop()
{
    for (const HWND stop : m_tabStops) {
        if (reachable(stop)) {
            SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stop), TRUE);
            return;
        }
    }
}

} // namespace kumoden
