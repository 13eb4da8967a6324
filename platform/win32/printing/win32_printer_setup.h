#pragma once

#include "platform/forms.h"

#include <string>
#include <vector>

namespace kumoden {

// The program's current printer, the one hard copies go to, and the
// printer-setup dialog (PrintDlgW) that changes it. One per process.
class Win32PrinterSetup final : public PrinterSetupDialog {
public:
    // The window that owns the dialog while it is open.
    void setWindow(void* window) { m_window = window; }

    // The dialog on the current printer; OK makes the printer and the
    // settings chosen there the current ones, Cancel keeps them.
    void showPrinter() override;

    // Starts at the system's default printer, asked for on first use.
    // HardCopyError when there is none then; nothing is kept, and the next
    // call asks again.
    std::string printerName();
    // A printer device context on the current printer with its settings
    // (DeleteDC when done); HardCopyError when it cannot be had.
    void* createDc();

private:
    void requirePrinter();

    void* m_window = nullptr;
    // What the dialog hands back: the DEVNAMES and DEVMODE blocks, copied out
    // of their global memory. Empty until a printer is known.
    std::vector<unsigned char> m_devNames;
    std::vector<unsigned char> m_devMode;
};

} // namespace kumoden
