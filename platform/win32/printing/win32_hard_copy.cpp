#include "platform/win32/printing/win32_hard_copy.h"

#include <windows.h>

#include <cmath>

namespace kumoden {
namespace {

constexpr double kTwipsPerInch = 1440;

// A device context on the current printer of the printer setup.
class PrinterDc {
public:
    explicit PrinterDc(Win32PrinterSetup& setup) : m_dc(static_cast<HDC>(setup.createDc())) {}
    PrinterDc(const PrinterDc&) = delete;
    PrinterDc& operator=(const PrinterDc&) = delete;
    ~PrinterDc() { DeleteDC(m_dc); }

    HDC get() const { return m_dc; }
    // Device units per twip.
    double perTwipX() const { return GetDeviceCaps(m_dc, LOGPIXELSX) / kTwipsPerInch; }
    double perTwipY() const { return GetDeviceCaps(m_dc, LOGPIXELSY) / kTwipsPerInch; }
    std::int32_t twips(int units, double perTwip) const
    {
        if (perTwip <= 0) {
            throw HardCopyError("the printer reports no resolution");
        }
        return static_cast<std::int32_t>(std::nearbyint(units / perTwip));
    }

private:
    HDC m_dc;
};

// Twips per screen pixel (15 at 96 dots per inch).
double screenTwipsPerPixel()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return kTwipsPerInch / (dpi > 0 ? dpi : 96);
}

float wholePixels(float twips)
{
    const double pixel = screenTwipsPerPixel();
    return static_cast<float>(std::nearbyint(twips / pixel) * pixel);
}

int deviceUnits(float twips, double perTwip)
{
    return static_cast<int>(std::lround(twips * perTwip));
}

} // namespace

std::int32_t Win32PagePrinter::pageWidth()
{
    const PrinterDc printer(m_setup);
    return printer.twips(GetDeviceCaps(printer.get(), HORZRES), printer.perTwipX());
}

std::int32_t Win32PagePrinter::pageHeight()
{
    const PrinterDc printer(m_setup);
    return printer.twips(GetDeviceCaps(printer.get(), VERTRES), printer.perTwipY());
}

void Win32HardCopyPage::load(const PageFormDesign& design)
{
    m_loaded = true;
    m_stretch = design.stretch;
    m_picture.reset();
    m_formWidth = wholePixels(design.clientWidth);
    m_formHeight = wholePixels(design.clientHeight);
    m_boxLeft = design.boxLeft;
    m_boxTop = design.boxTop;
    m_boxWidth = design.boxWidth;
    m_boxHeight = design.boxHeight;
}

void Win32HardCopyPage::unload()
{
    m_loaded = false;
    m_picture.reset();
}

void Win32HardCopyPage::setPicture(PicturePtr picture)
{
    requireLoaded();
    m_picture = std::move(picture);
    // A box that does not stretch takes the picture's size.
    const auto* bitmap = dynamic_cast<const Win32Picture*>(m_picture.get());
    if (!m_stretch && bitmap != nullptr && bitmap->pixelWidth() > 0) {
        m_boxWidth = static_cast<float>(bitmap->pixelWidth() * screenTwipsPerPixel());
        m_boxHeight = static_cast<float>(bitmap->pixelHeight() * screenTwipsPerPixel());
    }
}

float Win32HardCopyPage::boxWidth() const
{
    requireLoaded();
    return m_boxWidth;
}

float Win32HardCopyPage::boxHeight() const
{
    requireLoaded();
    return m_boxHeight;
}

void Win32HardCopyPage::setBoxWidth(float twips)
{
    requireLoaded();
    m_boxWidth = twips;
}

void Win32HardCopyPage::setBoxHeight(float twips)
{
    requireLoaded();
    m_boxHeight = twips;
}

float Win32HardCopyPage::formWidth() const
{
    requireLoaded();
    return m_formWidth;
}

float Win32HardCopyPage::formHeight() const
{
    requireLoaded();
    return m_formHeight;
}

void Win32HardCopyPage::setFormWidth(float twips)
{
    requireLoaded();
    m_formWidth = wholePixels(twips);
}

void Win32HardCopyPage::setFormHeight(float twips)
{
    requireLoaded();
    m_formHeight = wholePixels(twips);
}

void Win32HardCopyPage::printForm()
{
    requireLoaded();
    const auto* picture = dynamic_cast<const Win32Picture*>(m_picture.get());
    if (picture == nullptr || picture->handle() == 0) {
        throw HardCopyError("the box holds no picture");
    }
    const PrinterDc printer(m_setup);
    DOCINFOW job{};
    job.cbSize = sizeof job;
    job.lpszDocName = kHardCopyJobName;
    if (StartDocW(printer.get(), &job) <= 0) {
        throw HardCopyError("the printer refused the hard copy");
    }
    try {
        if (StartPage(printer.get()) <= 0) {
            throw HardCopyError("the printer refused the page");
        }
        const double x = printer.perTwipX();
        const double y = printer.perTwipY();
        picture->draw(printer.get(), deviceUnits(m_boxLeft, x), deviceUnits(m_boxTop, y),
                      deviceUnits(m_boxWidth, x), deviceUnits(m_boxHeight, y));
        if (EndPage(printer.get()) <= 0) {
            throw HardCopyError("the printer failed on the page");
        }
    } catch (...) {
        AbortDoc(printer.get());
        throw;
    }
    if (EndDoc(printer.get()) <= 0) {
        throw HardCopyError("the hard copy could not be printed");
    }
}

void Win32HardCopyPage::requireLoaded() const
{
    if (!m_loaded) {
        throw HardCopyError("the page form is not loaded");
    }
}

} // namespace kumoden
