#pragma once

#include "app/flag.h"
#include "hardcopy/frm_hard_copy.h"
#include "platform/clipboard_viewer.h"
#include "platform/desktop.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kumoden {

// The clipboard hook of the resident window: its procedure turns every
// clipboard change notice into one hard copy, passes the notice on to the
// next viewer and hands every message to the procedure it replaced.
// One per program.
class ModHardCopy {
public:
    struct Services {
        ClipboardViewer& viewer;
        Desktop& desktop;
        FrmHardCopy& frmHardCopy;
        // Told why a hard copy was abandoned; may be empty.
        std::function<void(const std::string&)> reportFailure;
        // Told when a hard copy went to the printer; may be empty.
        std::function<void()> reportPrinted = {};
    };

    explicit ModHardCopy(Services services);
    ModHardCopy(const ModHardCopy&) = delete;
    ModHardCopy& operator=(const ModHardCopy&) = delete;

    // The next viewer is the resident window's, kept there when it joins the
    // chain; the hook reads it, and follows the chain when a viewer leaves.
    // Null while there is no resident window.
    void bindNextViewerWnd(WindowHandle* nextViewerWnd) { m_nextViewerWnd = nextViewerWnd; }

    // Puts ClipboardWndProc in front of the window's procedure. Once only.
    void HookClipboard(WindowHandle hWnd);
    // Puts the replaced procedure back; nothing when there is no hook.
    void UnhookClipboard(WindowHandle hWnd);
    MessageResult ClipboardWndProc(WindowHandle hWnd, std::uint32_t uMsg, MessageParam wParam,
                                   MessageLong lParam);

    // The procedure the hook replaced; 0 while there is no hook.
    WindowProcAddress PrevWndProc() const { return m_prevWndProc; }
    // True while a hard copy runs.
    Flag HardCopyBusy() const { return m_hardCopyBusy; }

private:
    void hardCopy();
    WindowHandle nextViewer() const { return m_nextViewerWnd != nullptr ? *m_nextViewerWnd : 0; }

    Services m_services;
    WindowHandle* m_nextViewerWnd = nullptr;
    WindowProcAddress m_prevWndProc = 0;
    Flag m_hardCopyBusy = kFalse;
};

} // namespace kumoden
