#pragma once

// A picker window of one platform as a user meets it: its controls on
// screen, the keyboard and the mouse. The contract suite drives every
// backend's pickers through this, with the real presenters and folders.
#include "platform/folder_reader.h"
#include "platform/picker_view.h"
#include "settings_ui/form_designs.h"
#include "tests/contract/form_driver.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_text_field.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kumoden::test {

class PickerDriver : public FormDriver {
public:
    virtual FolderPickerView& view() = 0; // a ProgramPickerView for the program picker
    // The entries of a list ("DirList", "filSelect"), its highlighted row,
    // a click on an entry and two on an entry of the folder list.
    virtual std::vector<std::string> entries(std::string_view list) const = 0;
    virtual int highlighted(std::string_view list) const = 0;
    virtual void clickEntry(std::string_view list, int row) = 0;
    virtual void doubleClick(int row) = 0;
    // The folder the highlighted entry of the folder list stands for.
    virtual std::string highlightedFolder() const = 0;
    // The user's choice of a listed drive in the drive list.
    virtual void chooseDrive(const std::string& drive) = 0;
};

// The platform's folder picker (program = false) or program picker.
std::unique_ptr<PickerDriver> MakePickerDriver(bool program);
// The platform's folders, on its drives or on the ones given.
std::unique_ptr<FolderReader> MakeFolderReader(const std::vector<std::string>& drives = {});

// What the platform names as the test needs it.
struct PickerNames {
    const char* reader;       // the reader's program file, as the picker asks for it
    const char* readerOnDisk; // the same name in a letter case of its own
    const char* hiddenFolder; // what the platform can hide
};
extern const PickerNames kPickerNames;

// The process works in a folder of its own:
//   alpha/  beta/{readerOnDisk, reader.bak, reader-old, hiddenFolder/}
//   gamma/reader/ (a folder)
class PickerWindow : public ::testing::Test {
protected:
    PickerWindow() : m_previous(std::filesystem::current_path())
    {
        const std::string reader = kPickerNames.reader;
        std::filesystem::create_directory(dir.path() / "alpha");
        dir.write("beta/" + std::string(kPickerNames.readerOnDisk), "MZ");
        dir.write("beta/" + reader + ".bak", "");
        dir.write("beta/" + reader + "-old", "");
        std::filesystem::create_directories(dir.path() / "beta" / kPickerNames.hiddenFolder);
        MakeHidden(dir.path() / "beta" / kPickerNames.hiddenFolder);
        std::filesystem::create_directories(dir.path() / "gamma" / reader);
        std::filesystem::current_path(dir.path());
        root = utf8(std::filesystem::current_path());
    }
    ~PickerWindow() override { std::filesystem::current_path(m_previous); }

    template <typename Picker> void open(Picker& picker, const std::function<void()>& steps)
    {
        picker.objRetField = &field;
        driver->whileOpen([&] { picker.Show(); }, steps);
    }
    // A path below the test's folder.
    std::string at(const char* name) const { return utf8(std::filesystem::path(root) / name); }
    int rowOf(std::string_view list, const std::string& text) const
    {
        const auto all = driver->entries(list);
        const auto found = std::find(all.begin(), all.end(), text);
        EXPECT_NE(found, all.end()) << "no entry " << text;
        return static_cast<int>(found - all.begin());
    }

    TempDir dir;
    std::string root;
    std::unique_ptr<FolderReader> folders = MakeFolderReader();
    fake::FakeMessageDialog messages;
    fake::FakeTextField field{"old"};
    std::unique_ptr<PickerDriver> driver;

private:
    std::filesystem::path m_previous;
};

} // namespace kumoden::test
