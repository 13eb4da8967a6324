#include "platform/qt/qt_printer_setup.h"

#include "platform/qt/qt_form_support.h"

#include <QPrintDialog>
#include <QPrinterInfo>

namespace kumoden {

QtPrinterSetup::QtPrinterSetup() = default;
QtPrinterSetup::~QtPrinterSetup() = default;

QPrinter& QtPrinterSetup::currentPrinter()
{
    if (!m_printer) {
        // With no printer installed (or no scheduler) this is a null info,
        // and the printer prints to a file until the dialog picks another.
        m_printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    }
    return *m_printer;
}

void QtPrinterSetup::showPrinter()
{
    QPrintDialog dialog(&currentPrinter());
    keepIconLive(dialog);
    // What the user picked is kept in the printer; the answer itself is not.
    dialog.exec();
}

} // namespace kumoden
