#pragma once

#include "platform/clipboard.h"
#include "platform/clipboard_viewer.h"

#include <vector>

namespace kumoden {

// A picture copied off the clipboard, so that it outlives the clipboard's
// content: a device-independent bitmap, or else an enhanced metafile.
class Win32Picture final : public Picture {
public:
    Win32Picture() = default;
    // A bitmap as the clipboard holds it (header, colours, pixels); one
    // whose parts do not fit in its bytes is no picture.
    static std::unique_ptr<Win32Picture> fromBitmap(std::vector<unsigned char> dib);
    static std::unique_ptr<Win32Picture> fromMetafile(void* metafile);
    ~Win32Picture() override;

    std::uintptr_t handle() const override;
    // The bitmap's size in pixels; 0 for a metafile.
    int pixelWidth() const;
    int pixelHeight() const;
    // Draws the picture stretched to the rectangle (device units).
    void draw(void* dc, int left, int top, int width, int height) const;

private:
    std::vector<unsigned char> m_dib;
    std::size_t m_bitsOffset = 0;
    void* m_metafile = nullptr;
};

// The clipboard: text is whatever the system offers as text, a bitmap any
// bitmap format (the system converts between them).
class Win32Clipboard final : public Clipboard {
public:
    bool getFormat(ClipboardFormat format) override;
    PicturePtr getData() override;
};

// The clipboard-viewer chain and the resident window's procedure. One
// window at a time has its procedure replaced.
class Win32ClipboardViewer final : public ClipboardViewer {
public:
    // The resident window, once it exists.
    void setWindow(void* window) { m_window = window; }

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
    void* m_window = nullptr;
};

} // namespace kumoden
