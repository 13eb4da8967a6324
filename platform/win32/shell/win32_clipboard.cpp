#include "platform/win32/shell/win32_clipboard.h"

#include <windows.h>

#include <cstring>
#include <limits>
#include <memory>
#include <utility>

namespace kumoden {
namespace {

// Another program may hold the clipboard open for a moment.
class OpenedClipboard {
public:
    OpenedClipboard()
    {
        for (int attempt = 0; attempt < 10 && !m_open; ++attempt) {
            m_open = OpenClipboard(nullptr) != FALSE;
            if (!m_open) {
                Sleep(20);
            }
        }
        if (!m_open) {
            throw HardCopyError("the clipboard cannot be opened");
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() { CloseClipboard(); }

private:
    bool m_open = false;
};

std::vector<unsigned char> copyOf(HANDLE global)
{
    std::vector<unsigned char> bytes;
    const SIZE_T size = GlobalSize(global);
    const void* data = GlobalLock(global);
    if (data != nullptr) {
        bytes.assign(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
        GlobalUnlock(global);
    }
    return bytes;
}

// Where the pixels begin in a packed bitmap, 0 when its header, colours or
// pixels would reach past its bytes.
std::size_t bitsOffset(const std::vector<unsigned char>& dib)
{
    BITMAPINFOHEADER header{};
    if (dib.size() < sizeof header) {
        return 0;
    }
    std::memcpy(&header, dib.data(), sizeof header);
    if (header.biSize < sizeof header || header.biSize > dib.size() || header.biWidth <= 0 ||
        header.biHeight == 0 || header.biHeight == std::numeric_limits<LONG>::min() || header.biPlanes != 1) {
        return 0;
    }
    std::size_t offset = header.biSize;
    if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof header) {
        offset += 3 * sizeof(DWORD);
    }
    std::size_t colours = header.biClrUsed;
    if (colours == 0 && header.biBitCount <= 8) {
        colours = std::size_t{1} << header.biBitCount;
    }
    if (colours > 256 && header.biBitCount <= 8) {
        return 0;
    }
    offset += colours * sizeof(RGBQUAD);
    std::size_t pixels = header.biSizeImage;
    if (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) {
        const std::size_t rowBytes =
            ((static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
        const std::size_t rows =
            static_cast<std::size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
        if (header.biBitCount == 0 || rowBytes > std::numeric_limits<std::size_t>::max() / rows) {
            return 0;
        }
        pixels = rowBytes * rows;
    }
    if (offset > dib.size() || pixels == 0 || pixels > dib.size() - offset) {
        return 0;
    }
    return offset;
}

} // namespace

std::unique_ptr<Win32Picture> Win32Picture::fromBitmap(std::vector<unsigned char> dib)
{
    auto picture = std::make_unique<Win32Picture>();
    picture->m_bitsOffset = bitsOffset(dib);
    if (picture->m_bitsOffset != 0) {
        picture->m_dib = std::move(dib);
    }
    return picture;
}

std::unique_ptr<Win32Picture> Win32Picture::fromMetafile(void* metafile)
{
    auto picture = std::make_unique<Win32Picture>();
    picture->m_metafile = metafile;
    return picture;
}

Win32Picture::~Win32Picture()
{
    if (m_metafile != nullptr) {
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(m_metafile));
    }
}

std::uintptr_t Win32Picture::handle() const
{
    if (!m_dib.empty()) {
        return reinterpret_cast<std::uintptr_t>(m_dib.data());
    }
    return reinterpret_cast<std::uintptr_t>(m_metafile);
}

int Win32Picture::pixelWidth() const
{
    return m_dib.empty() ? 0 : reinterpret_cast<const BITMAPINFOHEADER*>(m_dib.data())->biWidth;
}

int Win32Picture::pixelHeight() const
{
    if (m_dib.empty()) {
        return 0;
    }
    const LONG height = reinterpret_cast<const BITMAPINFOHEADER*>(m_dib.data())->biHeight;
    return height < 0 ? -height : height;
}

void Win32Picture::draw(void* dc, int left, int top, int width, int height) const
{
    const HDC device = static_cast<HDC>(dc);
    if (!m_dib.empty()) {
        const auto* info = reinterpret_cast<const BITMAPINFO*>(m_dib.data());
        SetStretchBltMode(device, HALFTONE);
        SetBrushOrgEx(device, 0, 0, nullptr);
        if (StretchDIBits(device, left, top, width, height, 0, 0, pixelWidth(), pixelHeight(),
                          m_dib.data() + m_bitsOffset, info, DIB_RGB_COLORS, SRCCOPY) == 0) {
            throw HardCopyError("the picture cannot be drawn on the printer");
        }
        return;
    }
    if (m_metafile != nullptr) {
        const RECT box{left, top, left + width, top + height};
        if (!PlayEnhMetaFile(device, static_cast<HENHMETAFILE>(m_metafile), &box)) {
            throw HardCopyError("the picture cannot be drawn on the printer");
        }
    }
}

bool Win32Clipboard::getFormat(ClipboardFormat format)
{
    return IsClipboardFormatAvailable(format == ClipboardFormat::Text ? CF_TEXT : CF_BITMAP) != FALSE;
}

PicturePtr Win32Clipboard::getData()
{
    const OpenedClipboard open;
    // The system makes a packed bitmap of any bitmap on the clipboard.
    if (IsClipboardFormatAvailable(CF_DIB)) {
        if (const HANDLE dib = GetClipboardData(CF_DIB)) {
            return Win32Picture::fromBitmap(copyOf(dib));
        }
    }
    if (IsClipboardFormatAvailable(CF_ENHMETAFILE)) {
        if (const auto metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE))) {
            return Win32Picture::fromMetafile(CopyEnhMetaFileW(metafile, nullptr));
        }
    }
    return std::make_unique<Win32Picture>();
}

} // namespace kumoden
