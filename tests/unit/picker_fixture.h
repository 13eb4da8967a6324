#pragma once

// The folder and program pickers' presenters on a fake window and a fake
// disk, with the text field they hand their choice to.
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"
#include "tests/fakes/fake_folder_reader.h"
#include "tests/fakes/fake_picker_view.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_text_field.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace kumoden::test {

using fake::FakeFolderReader;
using fake::FakePickerView;
using fake::FakeTextField;

// A Linux-like machine: the process runs in /home/user on the root file
// system, whose root holds a copy of the reader; /data is a second file
// system; /media/usb is a drive that cannot be read.
class PickerTest : public testing::Test {
protected:
    PickerTest()
    {
        folders.addDrive("/");
        folders.addDrive("/media/usb");
        folders.addDrive("/data");
        folders.setCurrentFolder("/home/user");
        folders.addFolder("/", {"kumoden-print"});
        folders.addFolder("/home/user", {"notes.txt"});
        folders.addFolder("/opt/kumoden", {"kumoden", "kumoden-print", "kumoden-print.ini"});
        folders.addFolder("/data", {"kumoden-print"});
    }

    // Shows a picker on the view, the user acting as the script says.
    void runExe(std::function<void()> actions) { runExe(folders, "kumoden-print", std::move(actions)); }
    void runExe(FakeFolderReader& disk, const char* reader, std::function<void()> actions)
    {
        FrmExe frmExe(view, disk, messages, reader);
        run(frmExe, std::move(actions));
    }
    void runFile(std::function<void()> actions)
    {
        FrmFile frmFile(view, folders, messages);
        run(frmFile, std::move(actions));
    }
    template <typename Picker> void run(Picker& picker, std::function<void()> actions)
    {
        picker.objRetField = &field;
        view.whileShown = std::move(actions);
        picker.Show();
    }

    void expectUntouched() const
    {
        EXPECT_TRUE(field.writes().empty());
        EXPECT_EQ(field.changes(), 0);
        EXPECT_EQ(field.text(), "old");
    }

    FakeFolderReader folders;
    FakePickerView view;
    fake::FakeMessageDialog messages;
    FakeTextField field{"old"};
};

} // namespace kumoden::test
