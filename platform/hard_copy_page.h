#pragma once

#include "platform/clipboard.h"

#include <cstdint>
#include <string>

namespace kumoden {

// The frame the page form's window has around its client area, in twips:
// its borders across, its borders and caption down.
inline constexpr float kPageFrameWidth = 120;
inline constexpr float kPageFrameHeight = 390;

// A page form's design: its caption and client area, and the one image box
// on it. Sizes in twips.
struct PageFormDesign {
    std::string caption;
    float clientWidth = 0;
    float clientHeight = 0;
    float boxLeft = 0;
    float boxTop = 0;
    float boxWidth = 0;
    float boxHeight = 0;
    // The picture is drawn scaled to the box; giving the box a picture
    // leaves the box's size alone.
    bool stretch = true;
};

// The hidden page form a hard copy is printed from: a form with one image
// box. It exists between load() and unload() and is never shown. Sizes are
// in twips, single precision, as the form keeps them. Failures raise
// HardCopyError.
class HardCopyPageView {
public:
    HardCopyPageView() = default;
    HardCopyPageView(const HardCopyPageView&) = delete;
    HardCopyPageView& operator=(const HardCopyPageView&) = delete;
    virtual ~HardCopyPageView() = default;

    // Creates the form and its box with the design values.
    virtual void load(const PageFormDesign& design) = 0;
    // Destroys them, the box's picture with them.
    virtual void unload() = 0;

    virtual void setPicture(PicturePtr picture) = 0;
    virtual float boxWidth() const = 0;
    virtual float boxHeight() const = 0;
    virtual void setBoxWidth(float twips) = 0;
    virtual void setBoxHeight(float twips) = 0;

    // The form's outer size. The form may keep a size a little different
    // from the one asked for (whole pixels): read it back.
    virtual float formWidth() const = 0;
    virtual float formHeight() const = 0;
    virtual void setFormWidth(float twips) = 0;
    virtual void setFormHeight(float twips) = 0;

    // Prints the form's image as one complete job on the current printer:
    // the box with its picture stretched to it, at its size in twips, from
    // the top left of the page's printable area.
    virtual void printForm() = 0;
};

// The page of the current printer (the one the printer dialog sets up).
class PagePrinter {
public:
    PagePrinter() = default;
    PagePrinter(const PagePrinter&) = delete;
    PagePrinter& operator=(const PagePrinter&) = delete;
    virtual ~PagePrinter() = default;

    // The page's horizontal and vertical extent in whole twips; raise
    // HardCopyError when there is no printer.
    virtual std::int32_t pageWidth() = 0;
    virtual std::int32_t pageHeight() = 0;
};

} // namespace kumoden
