#pragma once

#include "platform/clipboard.h"
#include "platform/hard_copy_page.h"

namespace kumoden {

// A floating-point fault while the page is sized: an overflow, a division
// by zero or an invalid operation. The hard copy is abandoned.
class HardCopyFault : public HardCopyError {
public:
    using HardCopyError::HardCopyError;
};

// The page form "frmHardCopy" with its image box "picHardCopy".
const PageFormDesign& HardCopyFormDesign();

// The page a hard copy is printed from: it takes the clipboard's picture,
// stretches it into a box of fixed proportions nearly as wide as the page
// and prints it on the current printer.
class FrmHardCopy {
public:
    struct Services {
        Clipboard& clipboard;
        HardCopyPageView& view;
        PagePrinter& printer;
    };

    explicit FrmHardCopy(Services services);
    FrmHardCopy(const FrmHardCopy&) = delete;
    FrmHardCopy& operator=(const FrmHardCopy&) = delete;

    // Creates the form from its design, hidden; every hard copy starts
    // afresh from it.
    void Load();
    void Unload();

    // Prints the clipboard's bitmap when the clipboard offers one and no
    // text; does nothing otherwise. True when a page went to the printer.
    // Failures raise HardCopyError.
    bool ChangeClipBoard();

private:
    Services m_services;
};

} // namespace kumoden
