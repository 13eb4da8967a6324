#pragma once

// The settings dialog's view of one platform as a user meets it: its
// controls on screen, the keyboard and the mouse. The contract suite drives
// every backend's view through this, with the real presenter and INI file.
#include "settings_ui/frm_conf.h"
#include "tests/contract/form_driver.h"
#include "tests/fakes/fake_services.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kumoden::test {

class ConfDriver : public FormDriver {
public:
    virtual ConfView& view() = 0;
    virtual std::string tabCaption(int index) const = 0;
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
        const auto pick = [this](TextField& field) { folderPicker(field); };
        return std::make_unique<FrmConf>(
            info, FrmConf::Services{
                      on.view(), *profile, iniPath, kSeparator, timer, printers, messages, pick, {}, {}});
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
    std::function<void(TextField&)> folderPicker = [](TextField&) {};
    std::unique_ptr<ConfDriver> owned = MakeConfDriver();
    ConfDriver& driver = *owned;
    std::unique_ptr<FrmConf> frmConf = presenterFor(driver);
};

} // namespace kumoden::test
