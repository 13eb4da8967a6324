#pragma once

#include "platform/form_design.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace kumoden {

// The controls of the settings dialog that hold a setting.
enum class ConfField { txtChkTime, txtFileDelDate, txtFileChkDir, txtAcroExe, txtPrintFile, cmbPrint };

// Modifier keys of a key-down, as a bit set.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;
inline constexpr int kKeyTab = 9;

// The settings dialog "frmConf": a tab strip with three pages, the six
// setting fields, the buttons OK, Cancel and Apply and two browse buttons.
// The view holds the controls' state and reports what the user does; it
// decides nothing.
class ConfView {
public:
    struct Events {
        // The text of one of the five text boxes changed, whoever changed it
        // (typing, pasting, setText). Never raised for cmbPrint.
        std::function<void(ConfField)> textChanged;
        // An entry chosen from the printer list (typing in the box is none).
        std::function<void()> cmbPrintClick;
        // The selected tab changed, by the mouse or by selectTab.
        std::function<void()> tabMainClick;
        // Every key-down the dialog receives, before the focused control
        // handles it; shift holds the modifier bits above.
        std::function<void(int keyCode, int shift)> keyDown;
        std::function<void()> cmdOKClick;
        // The Cancel button, Esc and the window's close button.
        std::function<void()> cmdCancelClick;
        std::function<void()> cmdApplyClick;
        std::function<void()> cmdChkDirClick;
        std::function<void()> cmdAcrExeDirClick;
    };

    ConfView() = default;
    ConfView(const ConfView&) = delete;
    ConfView& operator=(const ConfView&) = delete;
    virtual ~ConfView() = default;

    virtual void setEvents(Events events) = 0;

    // The text of a text box, or the edit text of the printer box.
    virtual std::string text(ConfField field) const = 0;
    // A text box raises textChanged when the text differs; the printer box
    // takes it as its edit text and raises nothing.
    virtual void setText(ConfField field, const std::string& text) = 0;
    // Appends an entry to the printer list.
    virtual void addPrinter(const std::string& name) = 0;

    virtual bool applyEnabled() const = 0;
    virtual void setApplyEnabled(bool enabled) = 0;

    // The tab strip: tabs are numbered from 1.
    virtual int tabCount() const = 0;
    virtual int selectedTab() const = 0;
    // Selects a tab; raises tabMainClick when the selection changes.
    virtual void selectTab(int index) = 0;
    // The tab strip's client area in the dialog's coordinates.
    virtual TwipsBox tabClientArea() const = 0;

    // The pages ("fraTab"), numbered from 0, one for each tab.
    virtual int pageCount() const = 0;
    virtual bool pageEnabled(int page) const = 0;
    // Lays every page over the tab strip's client area, enabled, the first
    // on top: the others stay enabled beneath it until showPage.
    virtual void layPages() = 0;
    // Shows this page in the tab strip's client area, enabled; every other
    // page is out of sight and disabled.
    virtual void showPage(int page) = 0;

    // Shows the dialog modally; returns when it has been unloaded.
    virtual void showModal() = 0;
    // Closes the dialog.
    virtual void unload() = 0;
};

// Where a view puts the pages it does not show: their left edge, far
// outside the dialog, in twips.
inline constexpr int kPageAwayLeft = -20000;

} // namespace kumoden
