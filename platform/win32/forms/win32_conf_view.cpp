#include "platform/win32/forms/win32_conf_view.h"

#include "platform/common/conf_controls.h"
#include "platform/win32/system/wide.h"

#include <commctrl.h>

#include <algorithm>

namespace kumoden {

Win32ConfView::Win32ConfView(const FormDesign& design) : m_form(design)
{
    for (std::size_t i = 0; i < kConfFieldControls.size(); ++i) {
        m_boxes[i] = m_form.control(kConfFieldControls[i]);
    }
    for (const ControlDesign& control : design.controls) {
        if (control.kind == ControlKind::Page) {
            m_pages.push_back(m_form.control(control.name));
        }
    }
    m_tabs = m_form.control("TabMain");
    m_cmdApply = m_form.control("cmdApply");

    Win32Form::Handlers handlers;
    handlers.command = [this](std::string_view control, int code) { command(control, code); };
    handlers.notify = [this](std::string_view control, const NMHDR& header) {
        if (control == "TabMain" && header.code == static_cast<UINT>(TCN_SELCHANGE)) {
            raise(m_events.tabMainClick);
        }
    };
    handlers.keyDown = [this](int keyCode, int shift) { return keyDown(keyCode, shift); };
    // Esc and the close button go where the Cancel button goes.
    const auto cancel = [this] {
        if (m_events.cmdCancelClick) {
            m_events.cmdCancelClick();
        } else {
            m_form.unload();
        }
    };
    handlers.cancel = cancel;
    handlers.close = cancel;
    m_form.setHandlers(std::move(handlers));
}

void Win32ConfView::raise(const std::function<void()>& event)
{
    if (event) {
        event();
    }
}

void Win32ConfView::command(std::string_view control, int code)
{
    if (const auto click = ConfButtonClick(control)) {
        if (code == BN_CLICKED) {
            raise(m_events.*click);
        }
        return;
    }
    if (control == "cmbPrint") {
        // A choice from the list, by the mouse or the arrow keys; typing in
        // the box tells CBN_EDITCHANGE instead.
        if (code == CBN_SELCHANGE) {
            raise(m_events.cmbPrintClick);
        }
        return;
    }
    const auto field = std::find(kConfFieldControls.begin(), kConfFieldControls.end(), control);
    if (code == EN_CHANGE && field != kConfFieldControls.end() && m_events.textChanged) {
        m_events.textChanged(static_cast<ConfField>(field - kConfFieldControls.begin()));
    }
}

bool Win32ConfView::keyDown(int keyCode, int shift)
{
    if (m_events.keyDown) {
        m_events.keyDown(keyCode, shift);
    }
    // Ctrl+Tab changes the tab (the presenter's doing), not the focus.
    return keyCode == VK_TAB && (shift & kCtrlMask) != 0;
}

HWND Win32ConfView::box(ConfField field) const
{
    return m_boxes[static_cast<std::size_t>(field)];
}

std::string Win32ConfView::text(ConfField field) const
{
    return WindowText(box(field));
}

void Win32ConfView::setText(ConfField field, const std::string& text)
{
    const std::wstring value = ToWide(text);
    if (field == ConfField::cmbPrint) {
        // The entry of that name, if listed, is the one the list starts on;
        // the box keeps the text as given, letter case and all.
        const auto entry = SendMessageW(box(field), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(value.c_str()));
        SendMessageW(box(field), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        SetWindowTextW(box(field), value.c_str());
    } else if (WindowText(box(field)) != text) {
        SetWindowTextW(box(field), value.c_str()); // raises textChanged
    }
}

void Win32ConfView::addPrinter(const std::string& name)
{
    SendMessageW(box(ConfField::cmbPrint), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(name).c_str()));
}

bool Win32ConfView::applyEnabled() const
{
    return IsWindowEnabled(m_cmdApply) != FALSE;
}

void Win32ConfView::setApplyEnabled(bool enabled)
{
    m_form.setEnabled(m_cmdApply, enabled);
}

int Win32ConfView::tabCount() const
{
    return static_cast<int>(SendMessageW(m_tabs, TCM_GETITEMCOUNT, 0, 0));
}

int Win32ConfView::selectedTab() const
{
    return static_cast<int>(SendMessageW(m_tabs, TCM_GETCURSEL, 0, 0)) + 1;
}

void Win32ConfView::selectTab(int index)
{
    if (index == selectedTab()) {
        return;
    }
    SendMessageW(m_tabs, TCM_SETCURSEL, static_cast<WPARAM>(index - 1), 0);
    raise(m_events.tabMainClick);
}

TwipsBox Win32ConfView::tabClientArea() const
{
    RECT inside{};
    GetClientRect(m_tabs, &inside);
    SendMessageW(m_tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inside));
    MapWindowPoints(m_tabs, m_form.window(), reinterpret_cast<POINT*>(&inside), 2);
    return {m_form.toTwips(inside.left), m_form.toTwips(inside.top),
            m_form.toTwips(inside.right - inside.left), m_form.toTwips(inside.bottom - inside.top)};
}

bool Win32ConfView::pageEnabled(int page) const
{
    return IsWindowEnabled(m_pages[static_cast<std::size_t>(page)]) != FALSE;
}

void Win32ConfView::layPages()
{
    const TwipsBox client = tabClientArea();
    for (const HWND page : m_pages) {
        m_form.place(page, client);
        m_form.setEnabled(page, true);
    }
    for (auto page = m_pages.rbegin(); page != m_pages.rend(); ++page) {
        SetWindowPos(*page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Win32ConfView::showPage(int shown)
{
    const TwipsBox client = tabClientArea();
    for (int i = 0; i < pageCount(); ++i) {
        TwipsBox box = client;
        box.left = i == shown ? client.left : kPageAwayLeft;
        m_form.place(m_pages[static_cast<std::size_t>(i)], box);
        m_form.setEnabled(m_pages[static_cast<std::size_t>(i)], i == shown);
    }
}

} // namespace kumoden
