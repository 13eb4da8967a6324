#include "platform/linux/qt/qt_hard_copy.h"

#include "platform/linux/cups/scheduler_connection.h"
#include "platform/linux/qt/qt_clipboard.h"
#include "platform/linux/qt/qt_form_support.h"
#include "platform/linux/qt/qt_printer_setup.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>

namespace kumoden {
namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kTwipsPerPoint = 20;

std::int32_t wholeTwips(double points)
{
    return static_cast<std::int32_t>(std::nearbyint(points * kTwipsPerPoint));
}

// A widget is at most QWIDGETSIZE_MAX pixels wide.
int wholePixels(float twips)
{
    return static_cast<int>(
        std::lround(std::clamp(twips / double{kTwipsPerPixel}, 0.0, double{QWIDGETSIZE_MAX})));
}

// The current printer when there is one to print on.
QPrinter& usablePrinter(QtPrinterSetup& setup)
{
    QPrinter& printer = setup.currentPrinter();
    // With no printer installed the printer falls back to writing a PDF
    // file, and no file has been chosen for it.
    const bool native = printer.outputFormat() == QPrinter::NativeFormat;
    if (!printer.isValid() || (native && printer.printerName().isEmpty()) ||
        (!native && printer.outputFileName().isEmpty())) {
        throw HardCopyError("no printer to print the hard copy on");
    }
    return printer;
}

} // namespace

std::int32_t QtPagePrinter::pageWidth()
{
    return wholeTwips(usablePrinter(m_setup).pageLayout().paintRect(QPageLayout::Point).width());
}

std::int32_t QtPagePrinter::pageHeight()
{
    return wholeTwips(usablePrinter(m_setup).pageLayout().paintRect(QPageLayout::Point).height());
}

QtHardCopyPage::QtHardCopyPage(QtPrinterSetup& setup) : m_setup(setup) {}

QtHardCopyPage::~QtHardCopyPage() = default;

void QtHardCopyPage::load(const PageFormDesign& design)
{
    m_form = std::make_unique<QWidget>(nullptr, kFixedWindowFlags);
    m_form->setObjectName(QStringLiteral("frmHardCopy"));
    m_form->setWindowTitle(QString::fromStdString(design.caption));
    m_form->resize(wholePixels(design.clientWidth), wholePixels(design.clientHeight));
    m_box = new QWidget(m_form.get());
    m_box->setObjectName(QStringLiteral("picHardCopy"));
    m_picture = QImage();
    m_stretch = design.stretch;
    m_boxLeft = design.boxLeft;
    m_boxTop = design.boxTop;
    m_boxWidth = design.boxWidth;
    m_boxHeight = design.boxHeight;
    placeBox();
}

void QtHardCopyPage::unload()
{
    m_box = nullptr;
    m_form.reset();
    m_picture = QImage();
}

void QtHardCopyPage::setPicture(PicturePtr picture)
{
    requireLoaded();
    const auto* given = dynamic_cast<const QtPicture*>(picture.get());
    m_picture = given != nullptr ? given->image() : QImage();
    if (!m_stretch && !m_picture.isNull()) {
        m_boxWidth = static_cast<float>(m_picture.width() * kTwipsPerPixel);
        m_boxHeight = static_cast<float>(m_picture.height() * kTwipsPerPixel);
        placeBox();
    }
}

float QtHardCopyPage::boxWidth() const
{
    requireLoaded();
    return m_boxWidth;
}

float QtHardCopyPage::boxHeight() const
{
    requireLoaded();
    return m_boxHeight;
}

void QtHardCopyPage::setBoxWidth(float twips)
{
    requireLoaded();
    m_boxWidth = twips;
    placeBox();
}

void QtHardCopyPage::setBoxHeight(float twips)
{
    requireLoaded();
    m_boxHeight = twips;
    placeBox();
}

float QtHardCopyPage::formWidth() const
{
    requireLoaded();
    return static_cast<float>(m_form->width() * kTwipsPerPixel);
}

float QtHardCopyPage::formHeight() const
{
    requireLoaded();
    return static_cast<float>(m_form->height() * kTwipsPerPixel);
}

void QtHardCopyPage::setFormWidth(float twips)
{
    requireLoaded();
    m_form->resize(wholePixels(twips), m_form->height());
}

void QtHardCopyPage::setFormHeight(float twips)
{
    requireLoaded();
    m_form->resize(m_form->width(), wholePixels(twips));
}

void QtHardCopyPage::printForm()
{
    requireLoaded();
    QPrinter& printer = usablePrinter(m_setup);
    // Qt hands the job over on libcups' default connection, whose waits
    // are not bounded: a silent scheduler would hold the program for
    // minutes. It is asked once, with a bound, first.
    if (printer.outputFormat() == QPrinter::NativeFormat && askScheduler() == SchedulerAnswer::noAnswer) {
        throw HardCopyError(SchedulerConnection::noAnswerText());
    }
    printer.setDocName(QString::fromLatin1(kHardCopyJobName));
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw HardCopyError("the printer cannot be opened");
    }
    // Device pixels per twip, so that the box keeps its size on paper.
    const double x = painter.device()->logicalDpiX() / kTwipsPerInch;
    const double y = painter.device()->logicalDpiY() / kTwipsPerInch;
    const QRectF box(m_boxLeft * x, m_boxTop * y, m_boxWidth * x, m_boxHeight * y);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(box, m_picture);
    if (!painter.end()) {
        throw HardCopyError("the hard copy could not be printed");
    }
    // The print system's answer to the job: Qt hands the job over but keeps
    // the answer to itself.
    if (printer.outputFormat() == QPrinter::NativeFormat && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        throw HardCopyError(std::string("the print system refused the hard copy: ") + cupsLastErrorString());
    }
}

void QtHardCopyPage::placeBox()
{
    m_box->setGeometry(wholePixels(m_boxLeft), wholePixels(m_boxTop), wholePixels(m_boxWidth),
                       wholePixels(m_boxHeight));
}

void QtHardCopyPage::requireLoaded() const
{
    if (!m_form) {
        throw HardCopyError("the page form is not loaded");
    }
}

} // namespace kumoden
