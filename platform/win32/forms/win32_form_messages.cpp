// What a form's window is told: its controls' commands, notices and
// drawing, their colours, and its closing, handed on to the form's handlers.
#include "platform/win32/forms/win32_form.h"

namespace kumoden {

INT_PTR CALLBACK Win32Form::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return FALSE; // the focus is placed when the form is shown
    }
    auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, DWLP_USER));
    INT_PTR result = FALSE;
    if (form != nullptr && form->handleDialogMessage(message, wParam, lParam, result)) {
        return result;
    }
    return FALSE;
}

bool Win32Form::handleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_COMMAND: {
        const auto from = m_names.find(reinterpret_cast<HWND>(lParam));
        if (lParam != 0 && from != m_names.end()) {
            if (m_handlers.command) {
                m_handlers.command(from->second, HIWORD(wParam));
            }
        } else if (LOWORD(wParam) == IDCANCEL && m_handlers.cancel) {
            m_handlers.cancel();
        }
        result = TRUE;
        return true;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        const auto from = m_names.find(header.hwndFrom);
        if (from != m_names.end() && m_handlers.notify) {
            m_handlers.notify(from->second, header);
        }
        return false;
    }
    case WM_CLOSE:
        if (m_handlers.close) {
            m_handlers.close();
        } else {
            unload();
        }
        result = TRUE;
        return true;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const auto from = m_names.find(item.hwndItem);
        if (from == m_names.end() || !m_handlers.drawItem) {
            return false;
        }
        m_handlers.drawItem(from->second, item);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC: {
        const auto colored = m_colors.find(reinterpret_cast<HWND>(lParam));
        if (colored == m_colors.end()) {
            return false;
        }
        const unsigned rgb = colored->second;
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    default:
        return false;
    }
}

// A page passes what its controls tell their parent on to the form.
LRESULT CALLBACK Win32Form::pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
        return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace kumoden
