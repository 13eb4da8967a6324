// The settings dialog's Qt view, driven by its presenter, with real
// widgets on the offscreen platform and a real INI file.
#include "platform/fake/fake_services.h"
#include "platform/profile/profile_store.h"
#include "platform/qt/qt_conf_view.h"
#include "platform/qt/qt_fonts.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_conf.h"
#include "tests/support/offscreen_app.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace kumoden::test {
namespace {

constexpr const char* kIni = "[FileCheck_Info]\n"
                             "FileChkTime=1000\n"
                             "FileChkDir=/srv/in\n"
                             "FileSelect=abc\n"
                             "AcrExeDir=/opt/reader\n"
                             "PrinterNm=PDF\n"
                             "FileDelDate=7\n";

class QtConf : public ::testing::Test {
protected:
    QtConf() { dir.write("kumoden.INI", kIni); }

    // Opens the dialog and runs the test's steps once it is up; fails the
    // test if the steps leave it open.
    void open(std::function<void()> steps)
    {
        WhileModal(
            view.dialog(), [&] { frmConf.Show(); }, steps);
    }

    template <typename Widget> Widget* child(const char* name) const
    {
        auto* widget = view.dialog().findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    std::string focusName() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName().toStdString() : "(none)";
    }
    std::string ini() const { return readFile(dir.path() / "kumoden.INI"); }

    QApplication& qapp = OffscreenApplication(); // before any widget
    TempDir dir;
    std::string iniPath = (dir.path() / "kumoden.INI").string();
    ProfileStore profile;
    fake::FakeTimer timer;
    fake::FakePrinterList printers{{{"PDF", "PDF", "cups-pdf:/"}, {"PDF2", "PDF2", "cups-pdf:/PDF2"}}};
    QtConfView view{FrmConfDesign()};
    fake::FakeMessageDialog messages;
    FileCheckInfo info;
    FrmConf frmConf{info, {view, profile, iniPath, '/', timer, printers, messages, {}, {}, {}}};
};

TEST_F(QtConf, IsLaidOutInTwipsAsDesigned)
{
    open([&] {
        QDialog& form = view.dialog();
        EXPECT_EQ(form.windowTitle(), QStringLiteral("環境設定画面"));
        EXPECT_EQ(form.size(), QSize(401, 228)); // 6015 × 3420 twips
        EXPECT_EQ(child<QWidget>("TabMain")->geometry(), QRect(8, 8, 385, 185));
        EXPECT_EQ(child<QPushButton>("cmdOK")->geometry(), QRect(136, 200, 81, 21));
        EXPECT_EQ(child<QPushButton>("cmdCancel")->text(), QStringLiteral("キャンセル"));
        EXPECT_EQ(child<QPushButton>("cmdApply")->text(), QStringLiteral("適用(&A)"));
        EXPECT_EQ(child<QPushButton>("cmdApply")->geometry(), QRect(312, 200, 81, 21));

        auto* tabs = child<QTabBar>("TabMainTabs");
        ASSERT_EQ(tabs->count(), 3);
        EXPECT_EQ(tabs->tabText(1), QStringLiteral("ディレクトリー情報"));
        EXPECT_DOUBLE_EQ(tabs->font().pointSizeF(), 9.75);

        // The pages lie on the tab strip's inside, below the tabs.
        const TwipsBox client = view.tabClientArea();
        EXPECT_GT(client.top, 120 + 200);
        EXPECT_LE(client.left + client.width, 120 + 5775);
        for (const char* page : {"fraTab0", "fraTab1", "fraTab2"}) {
            EXPECT_EQ(child<QWidget>(page)->geometry(),
                      QRect(client.left / 15, client.top / 15, client.width / 15, client.height / 15));
        }

        auto* chkTime = child<QLineEdit>("txtChkTime");
        EXPECT_EQ(chkTime->geometry(), QRect(144, 24, 65, 25));
        EXPECT_TRUE(chkTime->alignment() & Qt::AlignRight);
        EXPECT_EQ(chkTime->font().family(), QString::fromUtf8(kFormFontFamily));
        EXPECT_TRUE(chkTime->font().bold());
        EXPECT_DOUBLE_EQ(chkTime->font().pointSizeF(), 12);
        EXPECT_DOUBLE_EQ(child<QLabel>("lblChkFileDir")->font().pointSizeF(), 11.25);
        EXPECT_EQ(child<QLabel>("lblPrintFile1")->text(), QStringLiteral("出力ファイル名 "));
        // The interval is in milliseconds, and the label says so in full.
        auto* unit = child<QLabel>("lblMin");
        EXPECT_EQ(unit->text(), QStringLiteral("ミリ秒"));
        EXPECT_GE(unit->width(), unit->sizeHint().width());

        auto* info = child<QLabel>("lblInfo");
        EXPECT_DOUBLE_EQ(info->font().pointSizeF(), 9);
        EXPECT_EQ(info->palette().color(QPalette::WindowText), QColor(Qt::red));

        auto* cmbPrint = child<QComboBox>("cmbPrint");
        EXPECT_EQ(cmbPrint->geometry(), QRect(8, 112, 353, 24));
        EXPECT_TRUE(cmbPrint->isEditable());
        EXPECT_EQ(cmbPrint->count(), 2);
        EXPECT_EQ(cmbPrint->currentText(), QStringLiteral("PDF"));
        view.unload();
    });
}

TEST_F(QtConf, TheFocusStartsOnCancelAndGoesInTheDesignedOrder)
{
    open([&] {
        std::vector<std::string> order{focusName()};
        for (int i = 0; i < 11; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order.push_back(focusName());
        }
        // Apply is disabled, so the round comes back to Cancel.
        EXPECT_EQ(order,
                  (std::vector<std::string>{"cmdCancel", "cmdOK", "TabMainTabs", "txtChkTime",
                                            "txtFileChkDir", "txtAcroExe", "cmdChkDir", "cmdAcrExeDir",
                                            "txtPrintFile", "cmbPrint", "txtFileDelDate", "cmdCancel"}));
        view.unload();
    });
}

TEST_F(QtConf, EnterSavesAndClosesEscClosesWithoutWriting)
{
    open([&] {
        auto* box = child<QLineEdit>("txtFileDelDate");
        box->setFocus();
        QTest::keyClicks(box, "30");
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_NE(ini().find("FileDelDate=730\n"), std::string::npos);

    QtConfView second{FrmConfDesign()};
    FrmConf again{info, {second, profile, iniPath, '/', timer, printers, messages, {}, {}, {}}};
    const std::string before = ini();
    WhileModal(
        second.dialog(), [&] { again.Show(); },
        [&] {
            QTest::keyClicks(QApplication::focusWidget(), "x");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
    EXPECT_FALSE(second.dialog().isVisible());
    EXPECT_EQ(ini(), before);
}

TEST_F(QtConf, EnterInThePrinterBoxIsNoChoiceFromItsList)
{
    open([&] {
        auto* cmbPrint = child<QComboBox>("cmbPrint");
        cmbPrint->setFocus();
        cmbPrint->lineEdit()->selectAll();
        QTest::keyClicks(cmbPrint, "PDF2"); // the name of an entry, typed
        EXPECT_FALSE(view.applyEnabled());
        QTest::keyClick(cmbPrint, Qt::Key_Return); // OK: closes without a save
    });
    EXPECT_EQ(ini(), kIni);
}

TEST_F(QtConf, ChoosingAPrinterFromTheListMarksIt)
{
    open([&] {
        auto* cmbPrint = child<QComboBox>("cmbPrint");
        cmbPrint->setFocus();
        QTest::keyClick(cmbPrint, Qt::Key_Down); // the next entry: PDF2
        EXPECT_TRUE(view.applyEnabled());
        QTest::mouseClick(child<QPushButton>("cmdOK"), Qt::LeftButton);
    });
    EXPECT_NE(ini().find("PrinterNm=PDF2\n"), std::string::npos);
}

TEST_F(QtConf, CtrlTabCyclesTheTabsFromInsideATextBox)
{
    open([&] {
        auto* chkTime = child<QLineEdit>("txtChkTime");
        chkTime->setFocus();
        QTest::keyClick(chkTime, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(view.selectedTab(), 2);
        EXPECT_EQ(child<QWidget>("fraTab0")->x(), -20000 / 15);
        EXPECT_FALSE(child<QWidget>("fraTab0")->isEnabled());
        EXPECT_TRUE(child<QWidget>("fraTab1")->isEnabled());
        EXPECT_EQ(child<QWidget>("fraTab1")->x(), view.tabClientArea().left / 15);

        auto* folder = child<QLineEdit>("txtFileChkDir");
        folder->setFocus();
        QTest::keyClick(folder, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(view.selectedTab(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(view.selectedTab(), 3);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(view.selectedTab(), 1);
        EXPECT_EQ(ini(), kIni); // the text boxes took no tab character
        view.dialog().close();  // the close button: nothing written
    });
    EXPECT_EQ(ini(), kIni);
}

} // namespace
} // namespace kumoden::test
