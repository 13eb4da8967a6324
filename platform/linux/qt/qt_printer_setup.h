#pragma once

#include "platform/forms.h"
#include "platform/message_dialog.h"

#include <QPrinter>

#include <memory>

namespace kumoden {

// The program's current printer, the one hard copies go to, and the
// printer dialog that changes it. One per process.
//
// Qt asks the scheduler with libcups' own waits, a minute and more for each
// answer. So the scheduler is first asked once with a bound, and Qt is not
// let at one that takes the question and does not answer.
class QtPrinterSetup final : public PrinterSetupDialog {
public:
    // messages: says why the dialog does not open.
    explicit QtPrinterSetup(MessageDialog& messages);
    ~QtPrinterSetup() override;

    // The dialog, or a message when the scheduler does not answer.
    void showPrinter() override;

    // Starts at the scheduler's default destination, asked for on first use.
    // HardCopyError when the scheduler does not answer then; nothing is kept,
    // and the next call asks again.
    QPrinter& currentPrinter();

private:
    QPrinter& printer();

    MessageDialog& m_messages;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace kumoden
