#pragma once

#include "platform/form_design.h"
#include "platform/linux/qt/qt_picker_lists.h"
#include "platform/picker_view.h"

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
    void setDrives(const std::vector<std::string>& drives) override;
    std::string drive() const override;
    void setDrive(const std::string& drive) override;
    void showFolders(const std::vector<FolderEntry>& entries, std::size_t opened) override;
    void showModal() override;
    void unload() override;

protected:
    // Builds the window and the controls both pickers have from the design.
    explicit QtPickerBase(const FormDesign& design);
    // Puts the controls in the design's focus order and focuses the first.
    void orderFocus(const FormDesign& design);
    ~QtPickerBase() override;

    PickerEvents m_events;
    std::unique_ptr<QDialog> m_dialog;
    QtDriveList* m_driveList;
    QtFolderList* m_dirList;
    QPushButton* m_cmdExec;
    QPushButton* m_cmdCancel;
};

// The folder picker "frmFile".
class QtFolderPickerView final : public QtPickerBase<FolderPickerView> {
public:
    explicit QtFolderPickerView(const FormDesign& design);
};

// The program picker "frmExe", with its file list "filSelect".
class QtProgramPickerView final : public QtPickerBase<ProgramPickerView> {
public:
    explicit QtProgramPickerView(const FormDesign& design);

    void showFiles(const std::vector<std::string>& names) override;
    std::string fileName() const override;

private:
    QtFileList* m_filSelect;
};

} // namespace kumoden
