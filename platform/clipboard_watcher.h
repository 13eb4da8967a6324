#pragma once

#include <functional>

namespace kumoden {

// Tells the program when the clipboard's content has changed.
//
// Each backend hears of a change in its platform's own way and reports it
// once: Windows through the clipboard-viewer chain, which the backend joins
// with the resident window and leaves in order, passing every notice on to
// the next viewer; X11 when the clipboard's owner changes; a Wayland
// compositor through its clipboard-manager protocol, which needs no focus.
// A change of the primary selection, or a window of the program taking the
// focus, is never reported.
class ClipboardWatcher {
public:
    using ChangeHandler = std::function<void()>;

    ClipboardWatcher() = default;
    ClipboardWatcher(const ClipboardWatcher&) = delete;
    ClipboardWatcher& operator=(const ClipboardWatcher&) = delete;
    virtual ~ClipboardWatcher() = default;

    // From now on every change is reported to the handler, on the program's
    // thread, also one that comes while the handler runs (the handler
    // decides what to do with it). False when the platform gives no
    // notices: then nothing is ever reported.
    virtual bool watch(ChangeHandler changed) = 0;
    // No change is reported after this; the platform's chain is left in
    // order. Nothing when not watching.
    virtual void stop() = 0;
};

} // namespace kumoden
