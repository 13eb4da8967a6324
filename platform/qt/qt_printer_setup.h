#pragma once

#include "platform/forms.h"

#include <QPrinter>

#include <memory>

namespace kumoden {

// The program's current printer, the one hard copies go to, and the
// printer dialog that changes it. One per process.
class QtPrinterSetup final : public PrinterSetupDialog {
public:
    QtPrinterSetup();
    ~QtPrinterSetup() override;

    void showPrinter() override;

    // Starts at the scheduler's default destination, asked for on first use.
    QPrinter& currentPrinter();

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace kumoden
