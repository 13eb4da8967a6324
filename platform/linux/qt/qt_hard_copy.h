#pragma once

#include "platform/hard_copy_page.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace kumoden {

class QtPrinterSetup;

// The hard copy's job name in the print queue.
inline constexpr const char* kHardCopyJobName = "Kumoden";

// The current printer's printable area: the hard copy is drawn from its top
// left, so its size is the one the page leaves for it.
class QtPagePrinter final : public PagePrinter {
public:
    explicit QtPagePrinter(QtPrinterSetup& setup) : m_setup(setup) {}

    std::int32_t pageWidth() override;
    std::int32_t pageHeight() override;

private:
    QtPrinterSetup& m_setup;
};

// The hidden page form: a widget that is never shown, with the box as a
// child. The form keeps its outer size in whole pixels (15 twips each), as
// a window does; the box keeps its size in twips as it is given.
//
// Printing draws the box's picture straight onto the current printer at
// the printer's resolution, stretched to the box's size in twips, rather
// than an image of the form at the screen's: the same page, only sharper.
// The form's background is not printed; the paper stays white around it.
class QtHardCopyPage final : public HardCopyPageView {
public:
    explicit QtHardCopyPage(QtPrinterSetup& setup);
    ~QtHardCopyPage() override;

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

    // The form while it is loaded, for a look from the tests.
    const QWidget* form() const { return m_form.get(); }

private:
    void placeBox();
    void requireLoaded() const;

    QtPrinterSetup& m_setup;
    std::unique_ptr<QWidget> m_form;
    QWidget* m_box = nullptr;
    QImage m_picture;
    bool m_stretch = true;
    float m_boxLeft = 0;
    float m_boxTop = 0;
    float m_boxWidth = 0;
    float m_boxHeight = 0;
};

} // namespace kumoden
