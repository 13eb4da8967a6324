#pragma once

#include "platform/form_design.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// Pixels per logical inch of the screen (96 unless scaled).
int ScreenDpi();
// A window's text as UTF-8.
std::string WindowText(HWND window);

// A window built from a form design: a dialog window with the design's
// caption and client size, and a native control for each designed control,
// placed in pixels of the screen's DPI (twips × dpi / 1440), in the design's
// fonts, and in its focus order. Pages are child windows the controls on
// them sit in; the tab strip's pages are laid on it by whoever shows them.
//
// What the controls do is told through the handlers; the form itself only
// runs the keyboard as a dialog does (Tab and Shift+Tab in the designed
// order, Enter to the default button, Esc as a cancel).
class Win32Form {
public:
    struct Handlers {
        // A notification (WM_COMMAND) from a designed control.
        std::function<void(std::string_view control, int code)> command;
        // A notification (WM_NOTIFY) from a designed control.
        std::function<void(std::string_view control, const NMHDR& header)> notify;
        // Draws an entry of an owner-drawn control (WM_DRAWITEM).
        std::function<void(std::string_view control, const DRAWITEMSTRUCT& item)> drawItem;
        // Every key-down meant for the form, before the focused control or
        // the form's keyboard handling sees it; true uses the key up.
        // shift holds the modifier bits of platform/conf_view.h.
        std::function<bool(int keyCode, int shift)> keyDown;
        // Esc; nothing when empty.
        std::function<void()> cancel;
        // The window's close button; when empty the form unloads.
        std::function<void()> close;
    };

    // Without a close button the window has no system menu either.
    explicit Win32Form(const FormDesign& design, bool closeButton = true);
    ~Win32Form();
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }

    HWND window() const { return m_window; }
    // The control of that name; throws std::out_of_range when there is none.
    HWND control(std::string_view name) const;
    // The designed control a window is, or lies in (a combo box's edit);
    // empty for none.
    std::string_view nameOf(HWND window) const;
    int dpi() const { return m_dpi; }
    int toPixels(int twips) const;
    int toTwips(int pixels) const;
    // Enables or disables a control or a page; the focus leaves one that is
    // disabled for the next tab stop.
    void setEnabled(HWND control, bool enabled);
    // Moves a control to a box in twips of its container.
    void place(HWND control, const TwipsBox& box);

    // Shows the form modally over the modal form open at the time (which is
    // disabled meanwhile), and returns when it has been unloaded.
    void showModal();
    // Shows the form without waiting, centred on the screen.
    void showCentred();
    // Hides the form; a modal loop ends once the handler calling this has
    // returned.
    void unload();
    // Whether the form is shown modally right now and not yet unloaded.
    bool isModal() const { return m_modal && !m_unloaded; }

    // Handles the thread's pending messages as the modal loops do (the
    // keyboard of the open forms included), without waiting for more.
    static void ProcessMessages();

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The forms shown modally right now, the innermost last.
    static std::vector<Win32Form*>& OpenForms();
    static LRESULT CALLBACK pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Routes one message of the thread to the form it is meant for.
    static void route(MSG& message);

    void build(const FormDesign& design);
    HWND make(const ControlDesign& control, HWND parent);
    // What a made control holds beyond its caption: tabs, a list's height,
    // a range.
    void fill(HWND made, const ControlDesign& control) const;
    HFONT font(const FontDesign& design);
    bool handleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    // The keyboard of the form: true when the message was used up.
    bool preTranslate(MSG& message);
    // The tab stop a window is or lies in; -1 for none.
    int stopOf(HWND window) const;
    bool moveFocus(bool backwards);
    bool moveFocus(int from, bool backwards);
    bool reachable(HWND control) const;
    void focusFirstStop();
    void centre();

    Handlers m_handlers;
    HWND m_window = nullptr;
    HWND m_owner = nullptr; // the window disabled while this one is modal
    int m_dpi = 96;
    std::map<std::string_view, HWND> m_controls;
    std::map<HWND, std::string_view> m_names;
    std::map<HWND, unsigned> m_colors; // text colours other than the platform's
    std::vector<HWND> m_tabStops;      // in the designed order
    std::map<std::pair<int, bool>, HFONT> m_fonts;
    FontDesign m_formFont;
    HFONT m_dialogFont = nullptr;
    bool m_modal = false;
    bool m_unloaded = false;
};

} // namespace kumoden
