#pragma once

// The settings dialog's presenter on a fake window over a real INI file,
// with fake printers, timer and messages.
#include "settings_ui/frm_conf.h"
#include "tests/fakes/fake_conf_view.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_text_field.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/unit/profile_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::test {

using F = ConfField;

constexpr const char* kIni = "; written by hand\r\n"
                             "[FileCheck_Info]\r\n"
                             "FileChkTime=1000\r\n"
                             "FileChkDir=/srv/in\r\n"
                             "FileSelect=abc\r\n"
                             "AcrExeDir=/opt/reader\r\n"
                             "PrinterNm=PDF\r\n"
                             "FileDelDate=7\r\n"
                             "[Other]\r\n"
                             "Keep=this\r\n";

class Conf : public ::testing::Test {
protected:
    Conf() { dir.write("kumoden.INI", kIni); }

    static char separator() { return MakeFileSystem()->separator(); }

    std::string ini() const { return readFile(dir.path() / "kumoden.INI"); }

    // Opens the dialog: the test acts while it is open.
    void open(std::function<void()> whileOpen = {})
    {
        view.whileOpen = std::move(whileOpen);
        frmConf.Show();
    }

    // The record's value of a field, as the watch reads it.
    std::string recordOf(F field) const
    {
        return field == F::txtChkTime       ? std::to_string(info.FileChkTime)
               : field == F::txtFileDelDate ? info.FileDelDate
                                            : info.FileSelect;
    }

    TempDir dir;
    std::string iniPath = dir.path().string() + separator() + "kumoden.INI";
    RecordingProfile profile{MakeProfile()};
    fake::FakeTimer timer;
    const std::vector<PrinterEntry> kPrinters{{"PDF", "PDF", "cups-pdf:/"},
                                              {"PDF2", "PDF2", "cups-pdf:/PDF2"}};
    fake::FakePrinterList printers{kPrinters};
    fake::FakeConfView view;
    fake::FakeMessageDialog messages;
    std::function<void(TextField&)> folderPicker;
    std::function<void(TextField&)> programPicker;
    std::vector<std::string> logged;
    FileCheckInfo info;
    FrmConf frmConf{info,
                    {view, profile, iniPath, separator(), timer, printers, messages,
                     [this](TextField& f) { folderPicker(f); }, [this](TextField& f) { programPicker(f); },
                     [this](const std::string& line) { logged.push_back(line); }}};
};

} // namespace kumoden::test
