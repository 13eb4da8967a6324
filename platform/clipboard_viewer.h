#pragma once

#include <cstdint>
#include <functional>

namespace kumoden {

// A window as the platform knows it; 0 is no window.
using WindowHandle = std::uintptr_t;
// The address of a window procedure as the platform keeps it; 0 is none.
using WindowProcAddress = std::uintptr_t;
using MessageParam = std::uintptr_t; // wParam
using MessageLong = std::intptr_t;   // lParam
using MessageResult = std::intptr_t;

// Sent to the viewers when the clipboard's content has changed.
inline constexpr std::uint32_t kDrawClipboardMessage = 0x0308;
// Sent along the viewers when one leaves: wParam is the leaving window,
// lParam the one that followed it.
inline constexpr std::uint32_t kChangeClipboardChainMessage = 0x030D;

// A window procedure: every message of a window passes through it.
using WindowProcedure = std::function<MessageResult(WindowHandle window, std::uint32_t message,
                                                    MessageParam wParam, MessageLong lParam)>;

// The clipboard-viewer chain and the window procedure of the resident
// window: the program joins the chain with its own window and puts its own
// procedure in front of the window's, which then sees every change notice.
//
// A backend without a chain (X11 tells every client itself) keeps no next
// viewer, and delivers each change of the clipboard, never of the primary
// selection, as kDrawClipboardMessage to the procedure in place.
class ClipboardViewer {
public:
    ClipboardViewer() = default;
    ClipboardViewer(const ClipboardViewer&) = delete;
    ClipboardViewer& operator=(const ClipboardViewer&) = delete;
    virtual ~ClipboardViewer() = default;

    // The resident window's own window (not the icon's).
    virtual WindowHandle window() const = 0;

    // Adds the window to the chain; returns the next viewer, 0 when none.
    virtual WindowHandle setClipboardViewer(WindowHandle window) = 0;
    // Takes the window out of the chain; next is the viewer that followed it.
    virtual bool changeClipboardChain(WindowHandle window, WindowHandle next) = 0;

    // Puts the procedure in place of the window's; returns the procedure it
    // replaced, 0 when the window refuses the replacement.
    virtual WindowProcAddress setWindowProc(WindowHandle window, WindowProcedure procedure) = 0;
    // Puts back a procedure an earlier call returned; returns the one replaced.
    virtual WindowProcAddress restoreWindowProc(WindowHandle window, WindowProcAddress procedure) = 0;
    // Lets a replaced procedure handle a message; returns its result.
    virtual MessageResult callWindowProc(WindowProcAddress procedure, WindowHandle window,
                                         std::uint32_t message, MessageParam wParam, MessageLong lParam) = 0;
    // Hands a message to another window and returns when it has handled it.
    virtual MessageResult sendMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                      MessageLong lParam) = 0;
};

} // namespace kumoden
