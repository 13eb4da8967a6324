#pragma once

#include "platform/clipboard_watcher.h"

#include <cstdint>

namespace kumoden {

// The clipboard-viewer chain, joined with the resident window. The window's
// own procedure hands every message to handleMessage() and then handles it
// as before: nothing is swallowed here.
class Win32ClipboardWatcher final : public ClipboardWatcher {
public:
    Win32ClipboardWatcher() = default;
    ~Win32ClipboardWatcher() override;

    // The resident window, before watch().
    void setWindow(void* window) { m_window = window; }

    bool watch(ChangeHandler changed) override;
    void stop() override;

    // A change notice runs the handler once and goes on to the next viewer;
    // a viewer leaving the chain is followed.
    void handleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    // The viewer this window passes notices on to; 0 when it is the last.
    void* nextViewer() const { return m_next; }
    bool watching() const { return m_watching; }

private:
    void* m_window = nullptr;
    void* m_next = nullptr;
    ChangeHandler m_changed;
    bool m_watching = false;
};

} // namespace kumoden
