#pragma once

#include "platform/clipboard_watcher.h"

#include <functional>
#include <string>

namespace kumoden {

// Passes a change on only when the clipboard's content differs from the
// last content passed on (or from the content at watching). For Qt's own
// Wayland client, which re-reads the selection whenever one of the
// program's windows takes the focus and reports that as a change: the same
// content again is no change. The price: every report reads the content,
// and copying the very same content twice in a row prints it once.
class DistinctClipboardWatcher final : public ClipboardWatcher {
public:
    // A digest of the clipboard's content now.
    using Content = std::function<std::string()>;

    DistinctClipboardWatcher(ClipboardWatcher& watcher, Content content)
        : m_watcher(watcher), m_content(std::move(content))
    {
    }
    ~DistinctClipboardWatcher() override { stop(); }

    bool watch(ChangeHandler changed) override;
    void stop() override;

private:
    ClipboardWatcher& m_watcher;
    Content m_content;
    std::string m_last;
};

// The clipboard's types, its picture and its text, digested; empty when
// there is no clipboard.
std::string qtClipboardContent();

} // namespace kumoden
