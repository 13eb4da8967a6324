#pragma once

#include "platform/form_design.h"
#include "platform/picker_view.h"
#include "platform/win32/forms/win32_form.h"
#include "platform/win32/forms/win32_picker_lists.h"

#include <string>
#include <vector>

namespace kumoden {

// What both picker windows share: the window, the drive and folder lists
// and the two buttons.
template <typename View> class Win32PickerBase : public View {
public:
    // The window and its controls, for tests.
    Win32Form& form() { return m_form; }
    // The folder of the folder list's highlighted entry, for tests.
    std::string highlightedFolder() const { return m_dirList.highlighted(); }

    void setEvents(PickerEvents events) override { m_events = std::move(events); }
    void setDrives(const std::vector<std::string>& drives) override;
    std::string drive() const override;
    void setDrive(const std::string& drive) override;
    void showFolders(const std::vector<FolderEntry>& entries, std::size_t opened) override
    {
        m_dirList.show(entries, opened);
    }
    void showModal() override { m_form.showModal(); }
    void unload() override { m_form.unload(); }

protected:
    // Builds the window from the design.
    explicit Win32PickerBase(const FormDesign& design);

private:
    void command(std::string_view control, int code);
    // Enter opens the folder list's entry and Esc does nothing, unless the
    // drive list is open (where they choose or keep a drive).
    bool keyDown(int keyCode);
    bool driveListOpen() const;
    void raise(const std::function<void()>& event);

    Win32Form m_form;
    PickerEvents m_events;
    std::vector<std::string> m_drives;
    HWND m_driveList;
    Win32FolderList m_dirList;
};

// The folder picker "frmFile".
class Win32FolderPickerView final : public Win32PickerBase<FolderPickerView> {
public:
    explicit Win32FolderPickerView(const FormDesign& design) : Win32PickerBase(design) {}
};

// The program picker "frmExe", with its file list "filSelect".
class Win32ProgramPickerView final : public Win32PickerBase<ProgramPickerView> {
public:
    explicit Win32ProgramPickerView(const FormDesign& design)
        : Win32PickerBase(design), m_filSelect(form().control("filSelect"))
    {
    }

    void showFiles(const std::vector<std::string>& names) override { m_filSelect.show(names); }
    std::string fileName() const override { return m_filSelect.fileName(); }

private:
    Win32FileList m_filSelect;
};

} // namespace kumoden
