#pragma once

#include "platform/clipboard.h"

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

} // namespace kumoden
