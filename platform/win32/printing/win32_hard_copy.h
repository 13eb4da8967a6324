#pragma once

#include "platform/hard_copy_page.h"
#include "platform/win32/printing/win32_printer_setup.h"
#include "platform/win32/shell/win32_clipboard.h"

#include <memory>

namespace kumoden {

// The hard copy's job name in the print queue.
inline constexpr const wchar_t* kHardCopyJobName = L"Kumoden";

// The current printer of the printer setup: its printable area, which is
// where the page's drawing starts.
class Win32PagePrinter final : public PagePrinter {
public:
    explicit Win32PagePrinter(Win32PrinterSetup& setup) : m_setup(setup) {}

    std::int32_t pageWidth() override;
    std::int32_t pageHeight() override;

private:
    Win32PrinterSetup& m_setup;
};

// The hidden page form, kept as its sizes: it is never shown, so no window
// is made for it. Its outer size keeps whole screen pixels, as a window's
// does; the box keeps its size in twips as it is given. Printing draws the
// box's picture on the setup's current printer at its resolution,
// stretched to the box's size in twips, from the printable area's top left.
class Win32HardCopyPage final : public HardCopyPageView {
public:
    explicit Win32HardCopyPage(Win32PrinterSetup& setup) : m_setup(setup) {}

    void load(const PageFormDesign& design) override;
    void unload() override;
    void setPicture(PicturePtr picture) override;
    float boxWidth() const override;
    float boxHeight() const override;
    void setBoxWidth(float twips) override;
    void setBoxHeight(float twips) override;
    float formWidth() const override;
    float formHeight() const override;
    void setFormWidth(float twips) override;
    void setFormHeight(float twips) override;
    void printForm() override;

private:
    void requireLoaded() const;

    Win32PrinterSetup& m_setup;
    bool m_loaded = false;
    bool m_stretch = true;
    std::unique_ptr<Picture> m_picture;
    float m_formWidth = 0;
    float m_formHeight = 0;
    float m_boxLeft = 0;
    float m_boxTop = 0;
    float m_boxWidth = 0;
    float m_boxHeight = 0;
};

} // namespace kumoden
