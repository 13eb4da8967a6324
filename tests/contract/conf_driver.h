#pragma once

// The settings dialog's view of one platform as a user meets it: its
// controls on screen, the keyboard and the mouse. The contract suite drives
// every backend's view through this, with the real presenter and INI file.
#include "platform/fake/fake_services.h"
#include "settings_ui/frm_conf.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kumoden::test {

// A control's place in pixels, relative to what it sits on.
using PixelBox = TwipsBox;

// How a control is drawn.
struct Look {
    std::string caption; // a label's or a button's
    std::string face;
    double points = 0;
    bool bold = false;
    unsigned colour = 0; // of the text: 0xRRGGBB
    bool alignedRight = false;
    bool editable = false; // the printer box: a name can be typed
    int entries = 0;       // the printer box's list
};

enum class Key { Tab, Return, Escape, Down };

// Controls are named as in the design.
class ConfDriver {
public:
    virtual ~ConfDriver() = default;

    virtual ConfView& view() = 0;
    // Runs show(), which opens the dialog modally, and the steps once it is
    // up; a dialog the steps leave open fails the test and is closed.
    virtual void whileOpen(const std::function<void()>& show, const std::function<void()>& steps) = 0;
    virtual bool shown() const = 0;
    virtual std::string focusName() const = 0;
    // The focus on the control as the Tab key brings it: a text is selected.
    virtual void focus(std::string_view control) = 0;
    // A key to the focused control; modifiers: kShiftMask, kCtrlMask, kAltMask.
    virtual void press(Key key, int modifiers = 0) = 0;
    virtual void type(const std::string& text) = 0;
    virtual void click(std::string_view button) = 0;
    virtual void closeWindow() = 0; // the window's close button

    virtual int pixels(int twips) const = 0;
    virtual std::string title() const = 0;
    virtual PixelBox clientSize() const = 0;
    virtual PixelBox box(std::string_view control) const = 0;
    // Shown, and not off its parent.
    virtual bool inSight(std::string_view control) const = 0;
    virtual bool enabled(std::string_view control) const = 0;
    virtual std::string tabCaption(int index) const = 0;
    virtual Look look(std::string_view control) const = 0;
};

// The platform's view, built from the dialog's design.
std::unique_ptr<ConfDriver> MakeConfDriver();

// The dialog on the platform's view, profile and separator.
class ConfDialog : public ::testing::Test {
protected:
    static inline const char kSeparator = MakeFileSystem()->separator();
    static inline const std::string kIni =
        std::string("[FileCheck_Info]\nFileChkTime=1000\nFileChkDir=") + kSeparator +
        "in\nFileSelect=abc\nAcrExeDir=reader\nPrinterNm=PDF\nFileDelDate=7\n";

    ConfDialog() { dir.write("kumoden.INI", kIni); }

    std::unique_ptr<FrmConf> presenterFor(ConfDriver& on)
    {
        return std::make_unique<FrmConf>(
            info, FrmConf::Services{on.view(),
                                    *profile,
                                    iniPath,
                                    kSeparator,
                                    timer,
                                    printers,
                                    messages,
                                    [this](TextField& field) { folderPicker ? folderPicker(field) : void(); },
                                    {},
                                    {}});
    }
    void open(const std::function<void()>& steps)
    {
        driver.whileOpen([&] { frmConf->Show(); }, steps);
    }
    // The dialog opened again: a presenter on a driver of its own.
    std::unique_ptr<ConfDriver> openAgain(const std::function<void(ConfDriver&)>& steps)
    {
        auto again = MakeConfDriver();
        const auto presenter = presenterFor(*again);
        again->whileOpen([&] { presenter->Show(); }, [&] { steps(*again); });
        return again;
    }
    std::string ini() const { return readFile(dir.path() / "kumoden.INI"); }
    std::string setting(const char* key) const
    {
        return profile->readString("FileCheck_Info", key, iniPath, 1024);
    }

    TempDir dir;
    std::string iniPath = utf8(dir.path() / "kumoden.INI");
    std::unique_ptr<Profile> profile = MakeProfile();
    fake::FakeTimer timer;
    fake::FakePrinterList printers{{{"PDF", "PDF", "cups-pdf:/"}, {"PDF2", "PDF2", "cups-pdf:/PDF2"}}};
    fake::FakeMessageDialog messages;
    FileCheckInfo info;
    std::function<void(TextField&)> folderPicker;
    std::unique_ptr<ConfDriver> owned = MakeConfDriver();
    ConfDriver& driver = *owned;
    std::unique_ptr<FrmConf> frmConf = presenterFor(driver);
};

} // namespace kumoden::test
