// The Qt backend of the hard copy against the real thing, for the contract
// suite and for what only Qt has: the clipboard of an X server of this
// program's own, filled by xclip, and the scheduler's cups-pdf queue as the
// current printer.
#include "hardcopy/frm_hard_copy.h"
#include "platform/linux/cups/scheduler_connection.h"
#include "platform/linux/qt/qt_clipboard.h"
#include "platform/linux/qt/qt_hard_copy.h"
#include "platform/linux/qt/qt_message_dialog.h"
#include "platform/linux/qt/qt_printer_setup.h"
#include "tests/contract/hard_copy_driver.h"
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/process.h"
#include "tests/support/silent_scheduler.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_display.h"

#include <QApplication>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <cups/cups.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// One X server and one application for the whole program.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        server = std::make_unique<XServer>();
        setenv("DISPLAY", server->name().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override
    {
        app.reset();
        server.reset();
    }

    static inline std::unique_ptr<XServer> server;
    static inline std::unique_ptr<QApplication> app;
    int argc = 1;
    char name[18] = "qt_hard_copy_test";
    char* argv[2] = {name, nullptr};
};
[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The Qt backends; the clipboard filled by xclip on this program's X
// server, where it stays, serving the selection, until another program
// takes it.
class QtHardCopyDriver final : public HardCopyDriver {
public:
    QtHardCopyDriver() { setup.currentPrinter().setPrinterName(QString::fromStdString(kHardCopyQueue)); }

    ClipboardWatcher& watcher() override { return m_watcher; }
    Clipboard& clipboard() override { return m_clipboard; }
    HardCopyPageView& page() override { return m_page; }
    PagePrinter& printer() override { return m_printer; }

    void putPicture(int width, int height) override
    {
        putPng(writeQuartersPicture(dir.path() / "picture.png", width, height));
    }
    void putText(const std::string& text) override { xclip({"-selection", "clipboard"}, text); }
    void putBrokenPicture() override
    {
        xclip({"-selection", "clipboard", "-t", "image/png"}, "not a picture");
    }
    PicturePtr picture(int width, int height) override
    {
        return std::make_unique<QtPicture>(QImage(width, height, QImage::Format_RGB32));
    }
    Seen seen(const Picture& picture) override
    {
        const QImage& image = dynamic_cast<const QtPicture&>(picture).image();
        return {image.width(), image.height(), image.pixelColor(0, 0) == QColor(255, 0, 0)};
    }
    bool waitFor(std::chrono::milliseconds limit, const std::function<bool()>& condition) override
    {
        return eventually(limit, [&] {
            QCoreApplication::processEvents();
            return condition();
        });
    }
    void settle() override
    {
        waitFor(1500ms, [] { return false; });
    }

    void putPng(const fs::path& png, const std::string& selection = "clipboard")
    {
        xclip({"-selection", selection, "-t", "image/png", "-i", png.string()});
    }
    void xclip(const std::vector<std::string>& arguments, const std::string& input = {})
    {
        std::vector<std::string> argv{"xclip"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        if (!input.empty()) {
            argv.push_back(dir.write("input", input).string());
        }
        const RunResult run = runProgram(argv, {"DISPLAY=" + QtEnvironment::server->name()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }

    TempDir dir;
    QtMessageDialog messages;
    QtPrinterSetup setup{messages};

private:
    QtClipboardWatcher m_watcher;
    QtClipboard m_clipboard;
    QtPagePrinter m_printer{setup};
    QtHardCopyPage m_page{setup};
};

} // namespace

std::unique_ptr<HardCopyDriver> MakeHardCopyDriver()
{
    return std::make_unique<QtHardCopyDriver>();
}

namespace {

// The Qt backends' own cases.
class QtHardCopyCase : public HardCopyCase {
protected:
    // How long the call took, and why it failed ("" when it did not).
    template <typename Call> std::pair<std::chrono::steady_clock::duration, std::string> timed(Call call)
    {
        const auto start = std::chrono::steady_clock::now();
        std::string why;
        try {
            call();
        } catch (const HardCopyError& failure) {
            why = failure.what();
        }
        return {std::chrono::steady_clock::now() - start, why};
    }

    QtHardCopyDriver& qt = static_cast<QtHardCopyDriver&>(driver);
};

TEST_F(QtHardCopyCase, APictureTooLargeToDecodeIsAFailureNotAnEmptyClipboard)
{
    // A real PNG, one bit a pixel: small on disk, far past Qt's allocation
    // limit once decoded.
    QImage bits(20000, 20000, QImage::Format_Mono);
    bits.fill(1);
    const fs::path huge = qt.dir.path() / "huge.png";
    ASSERT_TRUE(bits.save(QString::fromStdString(huge.string()), "PNG"));
    qt.putPng(huge);
    ASSERT_TRUE(noticed(1));
    EXPECT_TRUE(qt.clipboard().getFormat(ClipboardFormat::Bitmap));
    const std::string why = timed([&] { qt.clipboard().getData(); }).second;
    EXPECT_NE(why.find("20000 x 20000"), std::string::npos) << why;
}

TEST_F(QtHardCopyCase, NeitherThePrimarySelectionNorAFocusChangeIsAChange)
{
    const fs::path picture = writeQuartersPicture(qt.dir.path() / "q.png", 64, 48);
    qt.putPng(picture, "primary");
    qt.xclip({"-selection", "primary"}, "selected text");
    qt.settle();
    EXPECT_EQ(changes, 0);
    // The same picture on the clipboard is one change.
    qt.putPng(picture);
    EXPECT_TRUE(noticed(1));
    // A window of the program's taking the focus, twice, is none.
    for (int i = 0; i < 2; ++i) {
        QWidget window;
        window.show();
        window.activateWindow();
        qt.waitFor(500ms, [] { return false; });
    }
    EXPECT_EQ(changes, 1);
}

class QtHardCopyPrintTest : public QtHardCopyCase {
protected:
    void SetUp() override
    {
        // The test command starts the scheduler: without it these would check nothing.
        ASSERT_EQ(schedulerProblem(), "");
        ASSERT_EQ(setup.currentPrinter().printerName().toStdString(), kHardCopyQueue);
    }

    QtPrinterSetup& setup = qt.setup;
    HardCopyPageView& page = qt.page();
};

TEST_F(QtHardCopyPrintTest, TheHiddenFormsPictureIsPrintedStretchedToTheBoxAtItsSizeInTwips)
{
    // The printable area: what the page leaves inside its margins.
    const QPageLayout layout = setup.currentPrinter().pageLayout();
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    const QRectF full = layout.fullRect(QPageLayout::Point);
    PagePrinter& printer = qt.printer();
    EXPECT_LT(printer.pageWidth(), full.width() * 20);
    EXPECT_GT(printer.pageWidth(), full.width() * 20 * 8 / 10);
    EXPECT_LT(printer.pageHeight(), full.height() * 20);

    QImage quarters(QString::fromStdString(writeQuartersPicture(qt.dir.path() / "q.png", 64, 48).string()));
    page.load(HardCopyFormDesign());
    // The form is never shown, and goes with unload.
    auto& qtPage = static_cast<QtHardCopyPage&>(page);
    ASSERT_NE(qtPage.form(), nullptr);
    EXPECT_FALSE(qtPage.form()->isVisible());
    EXPECT_EQ(qtPage.form()->windowTitle(), QStringLiteral("画面イメージ"));
    page.setPicture(std::make_unique<QtPicture>(quarters));
    page.setBoxWidth(7200); // 5 by 2 inches
    page.setBoxHeight(2880);
    HardCopyOutputs outputs;
    page.printForm();
    page.unload();
    EXPECT_EQ(qtPage.form(), nullptr);

    const std::vector<fs::path> printed = outputs.waitForNew(30s);
    ASSERT_EQ(printed.size(), 1u);
    const Raster sheet = renderFirstPage(printed.front(), 72);
    const std::optional<PixelBox> ink = inkBox(sheet);
    ASSERT_TRUE(ink);
    EXPECT_NEAR(ink->width(), 360, 1);
    EXPECT_NEAR(ink->height(), 144, 1);
    // From the printable area's top left corner.
    EXPECT_NEAR(ink->left, paint.left(), 1);
    EXPECT_NEAR(ink->top, paint.top(), 1);
    EXPECT_EQ(quarterColours(sheet, *ink), (std::array<std::string, 4>{"red", "green", "blue", "black"}));
}

// A scheduler that takes every question and answers none (and, for
// comparison, one that cannot be reached at all): Qt would wait on it for
// minutes, so the printer, the hard copy and the printer setup give up after
// the bound.
class SchedulerDownTest : public QtHardCopyPrintTest {
protected:
    void TearDown() override
    {
        cupsSetServer(nullptr);
        QtHardCopyPrintTest::TearDown();
    }

    // Each message box or printer dialog that comes up, while the timer
    // runs, is noted in shown and closed.
    static void closeEachDialogAsItComes(QTimer& closer, std::vector<std::string>& shown)
    {
        QObject::connect(&closer, &QTimer::timeout, [&shown] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                    shown.push_back((box->windowTitle() + ": " + box->text()).toStdString());
                    box->button(QMessageBox::Ok)->click();
                } else if (auto* dialog = qobject_cast<QPrintDialog*>(window);
                           dialog && dialog->isVisible()) {
                    shown.push_back("printer dialog");
                    dialog->reject();
                }
            }
        });
        closer.start(50);
    }

    static constexpr auto kBound = kSchedulerTimeout + 4s;
    const std::string noAnswer = SchedulerConnection::noAnswerText();
    TempDir nowhere;
    SilentScheduler silent;
};

TEST_F(SchedulerDownTest, NoPrinterJobOrDialogWaitsOnASilentSchedulerNorIsAJobHandedToAMissingOne)
{
    // The first printer is not made while the scheduler is silent, and
    // nothing is kept: once it answers, the printer starts at its default.
    QtPrinterSetup fresh(qt.messages);
    QtPagePrinter freshPrinter(fresh);
    cupsSetServer(silent.socket().c_str());
    const auto [firstTook, firstWhy] = timed([&] { freshPrinter.pageWidth(); });
    EXPECT_EQ(firstWhy, noAnswer);
    EXPECT_LT(firstTook, kBound);
    EXPECT_GT(silent.connections(), 0);
    cupsSetServer(nullptr);
    EXPECT_EQ(fresh.currentPrinter().printerName().toStdString(), kHardCopyQueue);

    page.load(HardCopyFormDesign());
    page.setPicture(std::make_unique<QtPicture>(QImage(64, 48, QImage::Format_RGB32)));
    HardCopyOutputs outputs;
    // Unreachable, libcups fails at once on its own; silent, the bound ends it.
    cupsSetServer((nowhere.path() / "cups.sock").c_str());
    const auto [unreachableTook, unreachableWhy] = timed([&] { page.printForm(); });
    EXPECT_FALSE(unreachableWhy.empty());
    EXPECT_NE(unreachableWhy, noAnswer);
    EXPECT_LT(unreachableTook, 2s);
    cupsSetServer(silent.socket().c_str());
    const auto [silentTook, silentWhy] = timed([&] { page.printForm(); });
    EXPECT_EQ(silentWhy, noAnswer);
    EXPECT_GT(silentTook, kSchedulerTimeout - 1s);
    EXPECT_LT(silentTook, kBound);

    // The printer setup says the scheduler is silent instead of opening; the
    // dialog opens when it answers or is not reached at all. Each message box
    // or printer dialog that comes up is noted and closed.
    std::vector<std::string> shown;
    QTimer closer;
    closeEachDialogAsItComes(closer, shown);
    const auto [setupTook, setupWhy] = timed([&] { setup.showPrinter(); });
    EXPECT_LT(setupTook, kBound);
    cupsSetServer((nowhere.path() / "cups.sock").c_str());
    setup.showPrinter();
    cupsSetServer(nullptr);
    setup.showPrinter();
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "プリンター設定: 印刷スケジューラーが応答しないため、プリンターの設定を開けません。",
                         "printer dialog", "printer dialog"}));

    // No printer chosen at all: the printer would write a file no one named.
    setup.currentPrinter().setPrinterName(QString());
    EXPECT_THROW(qt.printer().pageWidth(), HardCopyError);
    EXPECT_THROW(page.printForm(), HardCopyError);
    EXPECT_TRUE(outputs.newFiles().empty());
}

} // namespace
} // namespace kumoden::test
