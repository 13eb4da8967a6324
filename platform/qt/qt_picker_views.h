#pragma once

#include "platform/form_design.h"
#include "platform/picker_view.h"
#include "platform/qt/qt_picker_lists.h"

#include <QDialog>
#include <QPushButton>

#include <memory>
#include <string>
#include <vector>

namespace kumoden {

// What both picker windows share: the window, the drive and folder lists
// and the two buttons.
template <typename View> class QtPickerBase : public View {
public:
    // The window itself, for tests.
    QDialog& dialog() { return *m_dialog; }

    void setEvents(PickerEvents events) override;
    std::string currentDrive() const override;
    std::string driveFolder(const std::string& drive) const override;
    std::string driveRoot(const std::string& drive) const override;
    std::string drive() const override;
    void setDrive(const std::string& drive) override;
    std::string dirPath() const override;
    bool setDirPath(const std::string& path) override;
    void showModal() override;
    void unload() override;

protected:
    // Builds the window and the controls both pickers have from the design.
    QtPickerBase(const FormDesign& design, std::vector<std::string> drives);
    // Puts the controls in the design's focus order and focuses the first.
    void orderFocus(const FormDesign& design);
    ~QtPickerBase() override;

    PickerEvents m_events;
    std::unique_ptr<QDialog> m_dialog;
    std::vector<std::string> m_drives;
    QtDriveList* m_driveList;
    QtFolderList* m_dirList;
    QPushButton* m_cmdExec;
    QPushButton* m_cmdCancel;
};

// The folder picker "frmFile".
class QtFolderPickerView final : public QtPickerBase<FolderPickerView> {
public:
    // The drive list lists these drives (by their root folders).
    explicit QtFolderPickerView(const FormDesign& design, std::vector<std::string> drives = mountedDrives());
};

// The program picker "frmExe", with its file list "filSelect".
class QtProgramPickerView final : public QtPickerBase<ProgramPickerView> {
public:
    explicit QtProgramPickerView(const FormDesign& design, std::vector<std::string> drives = mountedDrives());

    void setFilePattern(const std::string& pattern) override;
    void setFilePath(const std::string& path) override;
    std::string fileName() const override;

private:
    QtFileList* m_filSelect;
};

} // namespace kumoden
