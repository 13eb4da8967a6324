#pragma once

#include "hardcopy/frm_hard_copy.h"
#include "platform/clipboard_watcher.h"
#include "platform/desktop.h"

#include <functional>
#include <string>

namespace kumoden {

// The clipboard hook of the resident window: every change of the
// clipboard's content becomes one hard copy, unless one is running.
// One per program.
class ModHardCopy {
public:
    struct Services {
        ClipboardWatcher& watcher;
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

    // Starts hearing of the clipboard's changes; nothing when hooked already.
    void HookClipboard();
    // Stops hearing of them; nothing when there is no hook.
    void UnhookClipboard();
    // One change of the clipboard: a hard copy, unless one is running (that
    // change is then neither printed nor remembered).
    void ClipboardChanged();

    bool Hooked() const { return m_hooked; }
    // True while a hard copy runs.
    bool HardCopyBusy() const { return m_hardCopyBusy; }

private:
    Services m_services;
    bool m_hooked = false;
    bool m_hardCopyBusy = false;
};

} // namespace kumoden
