#include "hardcopy/frm_hard_copy.h"

#include <cmath>
#include <limits>

namespace kumoden {
namespace {

// The form and the box keep their sizes in single precision; the size
// computation runs in double. Each step is checked the way the form's
// arithmetic is: a fault ends the hard copy instead of printing garbage.
double checked(double value)
{
    if (std::isnan(value)) {
        throw HardCopyFault("invalid operation in the page size");
    }
    if (std::isinf(value)) {
        throw HardCopyFault("overflow in the page size");
    }
    return value;
}

double divide(double dividend, double divisor)
{
    if (divisor == 0) {
        throw HardCopyFault(dividend == 0 ? "invalid operation in the page size"
                                          : "division by zero in the page size");
    }
    return checked(dividend / divisor);
}

// A size as the form keeps it. A form refuses a negative size.
float single(double value)
{
    checked(value);
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        throw HardCopyFault("overflow in the page size");
    }
    if (value < 0) {
        throw HardCopyError("the page is too small for the hard copy");
    }
    return static_cast<float>(value);
}

} // namespace

const PageFormDesign& HardCopyFormDesign()
{
    static const PageFormDesign design{.caption = "画面イメージ",
                                       .clientWidth = 8310,
                                       .clientHeight = 5565,
                                       .boxLeft = 0,
                                       .boxTop = 0,
                                       .boxWidth = 8295,
                                       .boxHeight = 5535,
                                       .stretch = true};
    return design;
}

FrmHardCopy::FrmHardCopy(Services services) : m_services(services) {}

void FrmHardCopy::Load()
{
    m_services.view.load(HardCopyFormDesign());
}

void FrmHardCopy::Unload()
{
    m_services.view.unload();
}

bool FrmHardCopy::ChangeClipBoard()
{
    Clipboard& clipboard = m_services.clipboard;
    HardCopyPageView& view = m_services.view;

    // Text beside a picture means it is not a screen capture.
    if (clipboard.getFormat(ClipboardFormat::Text)) {
        return false;
    }
    // The picture is decoded once: the one printed is this one, whatever
    // the clipboard holds later.
    PicturePtr picture = clipboard.getData();
    if (picture->handle() == 0) {
        return false;
    }
    if (!clipboard.getFormat(ClipboardFormat::Bitmap)) {
        return false;
    }
    view.setPicture(std::move(picture));

    // The box still has its design size here, so the wide branch is the one
    // taken: the printed box always has the same proportions.
    const double w = checked(view.boxWidth() - 20.0f);
    const double h = checked(view.boxHeight() - 20.0f);
    double ratio = 0;
    if (w > h) {
        ratio = divide(m_services.printer.pageWidth(), w);
    } else {
        ratio = divide(m_services.printer.pageHeight(), h);
    }

    view.setFormWidth(single(checked(view.boxWidth() * ratio - 300)));
    view.setFormHeight(single(checked(view.boxHeight() * ratio - 300)));
    // The form keeps whole pixels: the box follows the size it really took.
    view.setBoxWidth(single(checked(view.formWidth() - kPageFrameWidth)));
    view.setBoxHeight(single(checked(view.formHeight() - kPageFrameHeight)));

    // Gone from the clipboard meanwhile: nothing is printed.
    if (!clipboard.getFormat(ClipboardFormat::Bitmap)) {
        return false;
    }
    view.printForm();
    return true;
}

} // namespace kumoden
