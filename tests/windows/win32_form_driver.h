#pragma once

// A Win32 form for the contract suites: real windows under Wine.
#include "platform/win32/forms/win32_form.h"
#include "platform/win32/system/wide.h"
#include "tests/contract/form_driver.h"
#include "tests/windows/win32_test_support.h"

#include <commctrl.h>

#include <utility>
#include <vector>

namespace kumoden::test {

template <typename Driver> class Win32FormDriver : public Driver {
public:
    void whileOpen(const std::function<void()>& show, const std::function<void()>& steps) override
    {
        win32test::WhileModal([&] { return &form(); }, show, steps);
    }
    bool shown() const override { return IsWindowVisible(form().window()); }

    std::string focusName() const override { return std::string(form().nameOf(GetFocus())); }
    void focus(std::string_view control) override
    {
        // As the dialog manager moves the focus: a text box's text is selected.
        SendMessageW(form().window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(child(control)), TRUE);
    }
    void press(Key key, int modifiers) override
    {
        const WORD codes[] = {VK_TAB, VK_RETURN, VK_ESCAPE, VK_DOWN};
        std::vector<WORD> held;
        for (const auto& [mask, vk] : {std::pair{kShiftMask, VK_SHIFT}, std::pair{kCtrlMask, VK_CONTROL},
                                       std::pair{kAltMask, VK_MENU}}) {
            if ((modifiers & mask) != 0) {
                held.push_back(static_cast<WORD>(vk));
            }
        }
        win32test::PressKey(codes[static_cast<int>(key)], held);
    }
    void type(const std::string& text) override { win32test::Type(text.c_str()); }
    void click(std::string_view button) override { SendMessageW(child(button), BM_CLICK, 0, 0); }
    void closeWindow() override { SendMessageW(form().window(), WM_SYSCOMMAND, SC_CLOSE, 0); }

    using Driver::pixels;
    int pixels(int twips) const override { return twips * form().dpi() / 1440; }
    std::string title() const override { return WindowText(form().window()); }
    PixelBox clientSize() const override
    {
        RECT client{};
        GetClientRect(form().window(), &client);
        return {0, 0, client.right, client.bottom};
    }
    PixelBox box(std::string_view control) const override
    {
        const RECT r = boxIn(child(control));
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    bool inSight(std::string_view control) const override
    {
        const HWND window = child(control);
        RECT parent{};
        GetClientRect(GetParent(window), &parent);
        const RECT own = boxIn(window);
        RECT common{};
        return IsWindowVisible(window) && IntersectRect(&common, &parent, &own);
    }
    bool enabled(std::string_view control) const override { return IsWindowEnabled(child(control)); }
    Look look(std::string_view control) const override
    {
        const HWND window = child(control);
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        Look look;
        look.caption = WindowText(window);
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
        if (GetObjectW(handle, sizeof font, &font) == static_cast<int>(sizeof font)) {
            look.face = ToUtf8(font.lfFaceName);
            look.points = -font.lfHeight * 72.0 / form().dpi();
            look.bold = font.lfWeight >= FW_BOLD;
        }
        // What the control's parent paints its text with.
        const HDC dc = CreateCompatibleDC(nullptr);
        SendMessageW(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(window));
        const COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        look.colour = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        look.alignedRight = (style & ES_RIGHT) != 0;
        look.editable = (style & 3) == CBS_DROPDOWN;
        look.entries = static_cast<int>(SendMessageW(window, CB_GETCOUNT, 0, 0));
        return look;
    }

    HWND child(std::string_view control) const { return form().control(control); }
    virtual Win32Form& form() const = 0;

private:
    static RECT boxIn(HWND control)
    {
        RECT box{};
        GetWindowRect(control, &box);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
        return box;
    }
};

} // namespace kumoden::test
