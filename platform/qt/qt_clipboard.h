#pragma once

#include "platform/clipboard.h"
#include "platform/clipboard_viewer.h"

#include <QImage>
#include <QMetaObject>

#include <vector>

namespace kumoden {

// A picture from the clipboard, decoded.
class QtPicture final : public Picture {
public:
    explicit QtPicture(QImage image) : m_image(std::move(image)) {}

    std::uintptr_t handle() const override;
    const QImage& image() const { return m_image; }

private:
    QImage m_image;
};

// The clipboard (never the primary selection): text is any text format, a
// bitmap any image format Qt can decode.
class QtClipboard final : public Clipboard {
public:
    bool getFormat(ClipboardFormat format) override;
    PicturePtr getData() override;
};

// X11 tells every client of a clipboard change itself: there is no chain
// to join and no next viewer to pass notices on to. Joining connects to the
// clipboard's change signal, and each change reaches the procedure in
// place as a change notice for the resident window. The window's own
// procedure, the one a hook replaces, has nothing to do with notices.
class QtClipboardViewer final : public ClipboardViewer {
public:
    QtClipboardViewer();
    ~QtClipboardViewer() override;

    WindowHandle window() const override;
    WindowHandle setClipboardViewer(WindowHandle window) override;
    bool changeClipboardChain(WindowHandle window, WindowHandle next) override;
    WindowProcAddress setWindowProc(WindowHandle window, WindowProcedure procedure) override;
    WindowProcAddress restoreWindowProc(WindowHandle window, WindowProcAddress procedure) override;
    MessageResult callWindowProc(WindowProcAddress procedure, WindowHandle window, std::uint32_t message,
                                 MessageParam wParam, MessageLong lParam) override;
    MessageResult sendMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                              MessageLong lParam) override;

private:
    void clipboardChanged();
    const WindowProcedure* procedureAt(WindowProcAddress address) const;

    QMetaObject::Connection m_connection;
    // Procedures put in place, addressed by their position; the window's
    // own procedure has the address before the first.
    std::vector<WindowProcedure> m_procedures;
    WindowProcAddress m_current;
};

} // namespace kumoden
