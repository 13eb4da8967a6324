// The pickers' Qt windows, driven by their presenters, with real widgets on
// the offscreen platform and real folders.
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_text_field.h"
#include "platform/qt/qt_folder_reader.h"
#include "platform/qt/qt_picker_views.h"
#include "settings_ui/folder_model.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"
#include "tests/support/chosen_drives.h"
#include "tests/support/offscreen_app.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace kumoden::test {
namespace {
namespace fs = std::filesystem;

std::vector<std::string> texts(const QListWidget& list)
{
    std::vector<std::string> result;
    for (int row = 0; row < list.count(); ++row) {
        result.push_back(list.item(row)->text().toStdString());
    }
    return result;
}

QListWidgetItem* entry(QListWidget& list, const std::string& text)
{
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->text().toStdString() == text) {
            return list.item(row);
        }
    }
    ADD_FAILURE() << "no entry " << text;
    return nullptr;
}

// The folder the list has opened: its highlighted entry, until the user
// moves the highlight.
std::string openedFolder(QDialog& form)
{
    const auto* list = form.findChild<QtFolderList*>(QStringLiteral("DirList"));
    return list->currentItem() != nullptr ? QtFolderList::entryPath(*list->currentItem()) : std::string();
}

void doubleClick(QListWidget& list, const std::string& text)
{
    QListWidgetItem* item = entry(list, text);
    ASSERT_NE(item, nullptr);
    // As the window system delivers one: press, release, double-click, release.
    const QPoint at = list.visualItemRect(item).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
}

// The process works in a folder of its own:
//   alpha/  beta/{Kumoden-Print, kumoden-print.ini, kumoden-print-old}
//   gamma/kumoden-print/ (a folder)  prog/{kumoden-print, other}  .hidden/
class QtPicker : public ::testing::Test {
protected:
    QtPicker() : m_previous(fs::current_path())
    {
        OffscreenApplication();
        fs::create_directory(dir.path() / "alpha");
        dir.write("beta/Kumoden-Print", "#!/bin/sh\n");
        dir.write("beta/kumoden-print.ini", "");
        dir.write("beta/kumoden-print-old", "");
        fs::create_directories(dir.path() / "gamma" / "kumoden-print");
        dir.write("prog/kumoden-print", "#!/bin/sh\n");
        dir.write("prog/other", "");
        fs::create_directory(dir.path() / ".hidden");
        fs::current_path(dir.path());
        root = fs::current_path().string();
    }
    ~QtPicker() override { fs::current_path(m_previous); }

    // Shows the picker and runs the steps once its window is up; fails the
    // test if the steps leave it open.
    template <typename Picker> void open(Picker& picker, QDialog& form, std::function<void()> steps)
    {
        picker.objRetField = &field;
        WhileModal(
            form, [&] { picker.Show(); }, steps);
    }

    template <typename Widget> static Widget* child(QDialog& form, const char* name)
    {
        auto* widget = form.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static std::string focusName()
    {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName().toStdString() : "(none)";
    }

    TempDir dir;
    std::string root;
    QtFolderReader folders;
    fake::FakeMessageDialog messages;
    fake::FakeTextField field{"old"};

private:
    fs::path m_previous;
};

TEST_F(QtPicker, WindowsFollowTheirDesign)
{
    const auto check = [](QDialog& form, const FormDesign& design) {
        const auto px = [](int twips) { return twips / 15; };
        EXPECT_EQ(form.windowTitle(), QStringLiteral("PDF File"));
        EXPECT_EQ(form.size(), QSize(px(design.clientWidth), px(design.clientHeight)));
        for (const ControlDesign& control : design.controls) {
            auto* widget = child<QWidget>(form, std::string(control.name).c_str());
            ASSERT_NE(widget, nullptr);
            const TwipsBox& t = control.box;
            EXPECT_EQ(widget->geometry(), QRect(px(t.left), px(t.top), px(t.width), px(t.height)))
                << control.name;
            EXPECT_EQ(widget->font().family().toStdString(), kFormFontFace) << control.name;
            EXPECT_EQ(widget->font().pointSize(), 12) << control.name;
            EXPECT_EQ(widget->font().bold(), control.font.bold) << control.name;
        }
        EXPECT_EQ(child<QPushButton>(form, "cmdExec")->text(), QStringLiteral("選   択"));
        EXPECT_EQ(child<QPushButton>(form, "cmdCancel")->text(), QStringLiteral("キャンセル"));
    };
    QtProgramPickerView exe{FrmExeDesign()};
    check(exe.dialog(), FrmExeDesign());
    QtFolderPickerView file{FrmFileDesign()};
    check(file.dialog(), FrmFileDesign());
}

TEST_F(QtPicker, ModalOverItsOpenerTheFolderListShowsAncestorsThenSubFoldersAndOpensThem)
{
    QDialog opener;
    opener.setWindowModality(Qt::WindowModal);
    opener.open();
    QtFolderPickerView view{FrmFileDesign()};
    FrmFile frmFile(view, folders, messages);
    open(frmFile, view.dialog(), [&] {
        EXPECT_EQ(view.dialog().parentWidget(), &opener);
        EXPECT_EQ(QApplication::activeModalWidget(), &view.dialog());
        auto& list = *child<QtFolderList>(view.dialog(), "DirList");
        std::vector<std::string> expected;
        for (const auto& part : fs::path(root)) {
            expected.push_back(part.string());
        }
        const int depth = static_cast<int>(expected.size());
        expected.insert(expected.end(), {"alpha", "beta", "gamma", "prog"});
        EXPECT_EQ(texts(list), expected);
        EXPECT_EQ(QtFolderList::entryPath(*list.item(0)), "/");
        EXPECT_EQ(QtFolderList::entryPath(*list.item(depth - 1)), root);
        EXPECT_EQ(QtFolderList::entryPath(*list.item(depth)), root + "/alpha");
        // The opened folder is the highlighted entry at first.
        EXPECT_EQ(list.currentRow(), depth - 1);
        const FolderModel model(folders);
        EXPECT_EQ(child<QtDriveList>(view.dialog(), "Drive")->drive(), model.currentDrive(model.drives()));

        // Highlighting an entry opens nothing.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(entry(list, "alpha")).center());
        EXPECT_EQ(list.currentItem()->text(), QStringLiteral("alpha"));
        EXPECT_EQ(texts(list), expected);

        doubleClick(list, "gamma");
        EXPECT_EQ(openedFolder(view.dialog()), root + "/gamma");
        EXPECT_EQ(texts(list).back(), "kumoden-print");
        // Enter on the root entry goes all the way up.
        list.setCurrentRow(0);
        QTest::keyClick(&list, Qt::Key_Return);
        EXPECT_EQ(openedFolder(view.dialog()), "/");
        EXPECT_EQ(texts(list).front(), "/");
        QTest::mouseClick(child<QPushButton>(view.dialog(), "cmdExec"), Qt::LeftButton);
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/"});
    EXPECT_EQ(view.dialog().parentWidget(), nullptr);
}

TEST_F(QtPicker, TabOrderNoDefaultOrCancelKeyAndTheFileListShowsOnlyTheReader)
{
    QtProgramPickerView view{FrmExeDesign()};
    FrmExe frmExe(view, folders, messages, "kumoden-print");
    std::vector<std::string> order;
    open(frmExe, view.dialog(), [&] {
        for (int i = 0; i < 6; ++i) {
            order.push_back(focusName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // On a button Enter presses nothing; Escape closes nothing.
        child<QPushButton>(view.dialog(), "cmdCancel")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(view.dialog().isVisible());

        auto& dirs = *child<QtFolderList>(view.dialog(), "DirList");
        auto& files = *child<QtFileList>(view.dialog(), "filSelect");
        EXPECT_EQ(files.count(), 0);
        doubleClick(dirs, "gamma");
        EXPECT_EQ(files.count(), 0); // a folder of that name is no program
        doubleClick(dirs, root.substr(root.rfind('/') + 1));
        doubleClick(dirs, "beta");
        EXPECT_EQ(texts(files), std::vector<std::string>{"Kumoden-Print"});
        // Listed but not chosen: the picker asks for it and stays.
        QTest::mouseClick(child<QPushButton>(view.dialog(), "cmdExec"), Qt::LeftButton);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_TRUE(view.dialog().isVisible());
        QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, files.visualItemRect(files.item(0)).center());
        QTest::mouseClick(child<QPushButton>(view.dialog(), "cmdExec"), Qt::LeftButton);
    });
    EXPECT_EQ(order,
              (std::vector<std::string>{"Drive", "DirList", "cmdExec", "cmdCancel", "filSelect", "Drive"}));
    EXPECT_EQ(field.writes(), std::vector<std::string>{root + "/beta/Kumoden-Print"});
}

// Folders of the test stand in for drives: the lists follow the drive list,
// and a drive that cannot be read sends it back.
TEST_F(QtPicker, ChoosingAnotherDriveMovesTheLists)
{
    const std::string beta = root + "/beta";
    const std::string missing = root + "/missing";
    const test::ChosenDrives<QtFolderReader> drives({"/", beta, missing});
    QtProgramPickerView view(FrmExeDesign());
    FrmExe frmExe(view, drives, messages, "kumoden-print");
    open(frmExe, view.dialog(), [&] {
        auto& driveList = *child<QtDriveList>(view.dialog(), "Drive");
        auto& files = *child<QtFileList>(view.dialog(), "filSelect");
        EXPECT_EQ(driveList.drive(), "/");
        EXPECT_EQ(openedFolder(view.dialog()), root);

        driveList.setCurrentIndex(driveList.findText(QString::fromStdString(beta)));
        EXPECT_EQ(openedFolder(view.dialog()), beta);
        EXPECT_EQ(texts(files), std::vector<std::string>{"Kumoden-Print"});

        driveList.setCurrentIndex(driveList.findText(QString::fromStdString(missing)));
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_NE(messages.shown()[0].text.find(missing), std::string::npos);
        EXPECT_EQ(driveList.drive(), beta);
        EXPECT_EQ(openedFolder(view.dialog()), beta);

        // Back on the first drive: its current folder, where the process is.
        driveList.setCurrentIndex(driveList.findText(QStringLiteral("/")));
        EXPECT_EQ(openedFolder(view.dialog()), root);
        EXPECT_EQ(files.count(), 0);
        view.dialog().close();
    });
    EXPECT_TRUE(field.writes().empty());
}

} // namespace
} // namespace kumoden::test
