#pragma once

#include "platform/geometry.h"

#include <string>
#include <vector>

namespace kumoden {

// The start-up splash "frmStart": its design is the view's; the program
// only shows it, fills its progress bar (0..20) and unloads it.
class SplashView {
public:
    SplashView() = default;
    SplashView(const SplashView&) = delete;
    SplashView& operator=(const SplashView&) = delete;
    virtual ~SplashView() = default;

    virtual void show() = 0;
    virtual void setProgress(double value) = 0;
    virtual void unload() = 0;
};

// The version box "frmAbout", shown modally until its OK button (or Enter
// or Esc) closes it.
class AboutView {
public:
    AboutView() = default;
    AboutView(const AboutView&) = delete;
    AboutView& operator=(const AboutView&) = delete;
    virtual ~AboutView() = default;

    virtual void showModal() = 0;
};

// The printer dialog on the program's current printer (the one hard
// copies go to); returns when the user has closed it.
class PrinterSetupDialog {
public:
    PrinterSetupDialog() = default;
    PrinterSetupDialog(const PrinterSetupDialog&) = delete;
    PrinterSetupDialog& operator=(const PrinterSetupDialog&) = delete;
    virtual ~PrinterSetupDialog() = default;

    virtual void showPrinter() = 0;
};

// One entry of a popup menu: a caption with "&" before its access key, or
// a separator ("-").
struct MenuEntry {
    std::string caption;
    bool isSeparator() const { return caption == "-"; }
};

// The icon's popup menu, where the program shows it itself.
class PopupMenuView {
public:
    PopupMenuView() = default;
    PopupMenuView(const PopupMenuView&) = delete;
    PopupMenuView& operator=(const PopupMenuView&) = delete;
    virtual ~PopupMenuView() = default;

    virtual void setEntries(const std::vector<MenuEntry>& entries) = 0;
    // The entry at this position is the default one, shown in bold.
    virtual void setDefaultEntry(int position) = 0;
    // Shows the menu placed as given, at its real size, and returns when it
    // closes: the position of the chosen entry, or -1 when none was chosen.
    virtual int track(const PopupPlacement& placement) = 0;
};

} // namespace kumoden
