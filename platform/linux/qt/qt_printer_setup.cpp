#include "platform/linux/qt/qt_printer_setup.h"

#include "platform/clipboard.h"
#include "platform/linux/cups/scheduler_connection.h"
#include "platform/linux/qt/qt_form_support.h"

#include <QPrintDialog>
#include <QPrinterInfo>

namespace kumoden {

namespace {

constexpr const char* kNoAnswerTitle = "プリンター設定";
constexpr const char* kNoAnswerText = "印刷スケジューラーが応答しないため、プリンターの設定を開けません。";

} // namespace

QtPrinterSetup::QtPrinterSetup(MessageDialog& messages) : m_messages(messages) {}
QtPrinterSetup::~QtPrinterSetup() = default;

QPrinter& QtPrinterSetup::currentPrinter()
{
    if (!m_printer && askScheduler() == SchedulerAnswer::noAnswer) {
        throw HardCopyError(SchedulerConnection::noAnswerText());
    }
    return printer();
}

QPrinter& QtPrinterSetup::printer()
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
    // The dialog asks the scheduler for every printer and its options.
    if (askScheduler() == SchedulerAnswer::noAnswer) {
        m_messages.show(kNoAnswerText, kNoAnswerTitle, MessageButtons::Ok);
        return;
    }
    QPrintDialog dialog(&printer());
    keepIconLive(dialog);
    // What the user picked is kept in the printer; the answer itself is not.
    dialog.exec();
}

} // namespace kumoden
