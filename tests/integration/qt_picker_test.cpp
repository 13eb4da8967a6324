// The pickers' Qt windows: real widgets on the offscreen platform, for the
// contract suite and for what only these views show.
#include "platform/linux/qt/qt_folder_reader.h"
#include "platform/linux/qt/qt_picker_views.h"
#include "settings_ui/frm_file.h"
#include "tests/contract/picker_driver.h"
#include "tests/integration/qt_form_driver.h"
#include "tests/support/chosen_drives.h"

namespace kumoden::test {
namespace {

template <typename View> class QtPickerDriver final : public QtFormDriver<PickerDriver> {
public:
    explicit QtPickerDriver(const FormDesign& design) : m_view(design) {}

    FolderPickerView& view() override { return m_view; }
    std::vector<std::string> entries(std::string_view name) const override
    {
        std::vector<std::string> result;
        const QListWidget& shown = list(name);
        for (int row = 0; row < shown.count(); ++row) {
            result.push_back(shown.item(row)->text().toStdString());
        }
        return result;
    }
    int highlighted(std::string_view name) const override { return list(name).currentRow(); }
    void clickEntry(std::string_view name, int row) override
    {
        QListWidget& on = list(name);
        QTest::mouseClick(on.viewport(), Qt::LeftButton, {}, on.visualItemRect(on.item(row)).center());
    }
    void doubleClick(int row) override
    {
        // As the window system delivers one: press, release, double-click, release.
        QListWidget& on = list("DirList");
        const QPoint at = on.visualItemRect(on.item(row)).center();
        QTest::mouseClick(on.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(on.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(on.viewport(), Qt::LeftButton, {}, at);
    }
    std::string highlightedFolder() const override
    {
        const QListWidgetItem* item = list("DirList").currentItem();
        return item != nullptr ? QtFolderList::entryPath(*item) : std::string();
    }
    void chooseDrive(const std::string& drive) override
    {
        auto& drives = static_cast<QtDriveList&>(*widget("Drive"));
        drives.setCurrentIndex(drives.findText(QString::fromStdString(drive)));
    }

private:
    QDialog& dialog() const override { return m_view.dialog(); }
    QListWidget& list(std::string_view name) const { return static_cast<QListWidget&>(*widget(name)); }

    mutable View m_view; // its window has no const access
};

} // namespace

const PickerNames kPickerNames{"kumoden-print", "Kumoden-Print", ".hidden"};

std::unique_ptr<PickerDriver> MakePickerDriver(bool program)
{
    if (program) {
        return std::make_unique<QtPickerDriver<QtProgramPickerView>>(FrmExeDesign());
    }
    return std::make_unique<QtPickerDriver<QtFolderPickerView>>(FrmFileDesign());
}

std::unique_ptr<FolderReader> MakeFolderReader(const std::vector<std::string>& drives)
{
    if (drives.empty()) {
        return std::make_unique<QtFolderReader>();
    }
    return std::make_unique<ChosenDrives<QtFolderReader>>(drives);
}

namespace {

using QtPicker = PickerWindow;

TEST_F(QtPicker, ModalOverItsOpenerUntilItCloses)
{
    QDialog opener;
    opener.setWindowModality(Qt::WindowModal);
    opener.open();
    QtFolderPickerView view{FrmFileDesign()};
    FrmFile frmFile(view, *folders, messages);
    frmFile.objRetField = &field;
    WhileModal(
        view.dialog(), [&] { frmFile.Show(); },
        [&] {
            EXPECT_EQ(view.dialog().parentWidget(), &opener);
            EXPECT_EQ(QApplication::activeModalWidget(), &view.dialog());
            view.dialog().close();
        });
    EXPECT_EQ(view.dialog().parentWidget(), nullptr);
}

} // namespace
} // namespace kumoden::test
