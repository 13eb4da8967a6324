#include "hardcopy/frm_hard_copy.h"
#include "hardcopy/hard_copy_report.h"
#include "hardcopy/mod_hard_copy.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_hard_copy.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kumoden::test {
namespace {

using fake::Journal;

// The hook, hooked, with a fake clipboard, page form, printer and change
// notices.
class HardCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        hook.HookClipboard();
        journal.clear();
    }
    void change() { watcher.change(); }

    Journal journal;
    fake::FakeClipboard clipboard;
    fake::FakePageView page{journal};
    fake::FakePagePrinter printer;
    fake::FakeDesktop desktop{journal};
    fake::FakeClipboardWatcher watcher{journal};
    FrmHardCopy frmHardCopy{{clipboard, page, printer}};
    std::vector<std::string> failures;
    // What the user hears, wired as the program wires it.
    Journal told;
    fake::FakeTrayIcon icon{told};
    fake::FakeEventLog log;
    fake::FakeClock clock;
    Notices notices{icon, log, clock, "T"};
    HardCopyReport report{notices};
    ModHardCopy hook{{watcher, desktop, frmHardCopy,
                      [this](const std::string& why) {
                          failures.push_back(why);
                          report.abandoned(why);
                      },
                      [this] { report.printed(); }}};
};

TEST_F(HardCopy, OnlyABitmapWithoutTextIsPrintedAndOneChangeIsOneHardCopyBetweenLoadAndUnload)
{
    clipboard.holdBitmap(7);
    clipboard.text = true;
    change(); // text and a bitmap: not a screen capture
    clipboard.empty();
    change();
    clipboard.picture = 8; // a drawing, no pixels
    change();
    EXPECT_TRUE(page.printed.empty());

    clipboard.holdBitmap(9);
    journal.clear();
    clipboard.decodes = 0;
    page.whilePrinting = [&] { EXPECT_TRUE(hook.HardCopyBusy()); };
    change();
    ASSERT_EQ(page.printed.size(), 1u);
    EXPECT_EQ(page.printed[0].picture, 9u);
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(journal, (Journal{"page load", "doEvents", "printForm", "page unload"}));
    EXPECT_EQ(clipboard.decodes, 1); // the picture printed is the one decoded
    EXPECT_FALSE(hook.HardCopyBusy());
    EXPECT_FALSE(page.loaded);
}

TEST_F(HardCopy, AChangeDuringAHardCopyIsNeitherPrintedNorRemembered)
{
    clipboard.holdBitmap(7);
    desktop.onDoEvents = [&] { change(); };
    page.whilePrinting = [&] {
        clipboard.holdBitmap(8);
        change();
    };
    change();
    ASSERT_EQ(page.printed.size(), 1u);
    EXPECT_EQ(page.printed[0].picture, 7u);
    EXPECT_FALSE(hook.HardCopyBusy());

    desktop.onDoEvents = nullptr;
    page.whilePrinting = nullptr;
    change();
    EXPECT_EQ(page.printed.size(), 2u);

    // The end of the process inside a hard copy still unloads the page.
    desktop.onDoEvents = [&] { desktop.endProcess(); };
    EXPECT_THROW(change(), fake::ProcessEnded);
    EXPECT_FALSE(page.loaded);
    EXPECT_FALSE(hook.HardCopyBusy());
}

TEST_F(HardCopy, HookingStartsAndUnhookingStopsTheNoticesOnce)
{
    hook.HookClipboard(); // hooked already: nothing happens
    EXPECT_TRUE(hook.Hooked());
    hook.UnhookClipboard();
    hook.UnhookClipboard(); // not hooked: nothing happens
    EXPECT_FALSE(hook.Hooked());
    hook.HookClipboard();
    hook.UnhookClipboard();
    EXPECT_EQ(journal, (Journal{"clipboard stop", "clipboard watch", "clipboard stop"}));

    // A notice already on its way when the hook went prints nothing.
    clipboard.holdBitmap(7);
    hook.ClipboardChanged();
    EXPECT_TRUE(page.printed.empty());
}

TEST_F(HardCopy, AFailedHardCopyIsAbandonedAndTheNextChangePrints)
{
    const std::vector<std::pair<std::string, std::function<void(bool)>>> faults{
        {"no printer", [&](bool on) { printer.installed = !on; }},
        {"printing fails", [&](bool on) { page.failPrint = on; }},
        {"unreadable clipboard", [&](bool on) { clipboard.unreadable = on; }},
        {"no page form", [&](bool on) { page.failLoad = on; }},
        {"a page of no size", [&](bool on) { printer.width = on ? 0 : 12000; }},
    };
    for (const auto& [name, set] : faults) {
        clipboard.holdBitmap(7);
        set(true);
        failures.clear();
        change();
        EXPECT_FALSE(hook.HardCopyBusy()) << name;
        EXPECT_FALSE(page.loaded) << name;
        EXPECT_EQ(failures.size(), 1u) << name;
        EXPECT_TRUE(page.printed.empty()) << name;

        set(false);
        change();
        EXPECT_EQ(page.printed.size(), 1u) << name;
        page.printed.clear();
    }
}

TEST_F(HardCopy, EachReasonAHardCopyFailsForIsToldOnceUntilOnePrints)
{
    clipboard.holdBitmap(7);
    printer.installed = false;
    change();
    change();
    EXPECT_EQ(told, (Journal{"notice T: ハードコピーを印刷できませんでした: no printer"}));
    printer.installed = true;
    page.failPrint = true;
    change();
    change();
    EXPECT_EQ(told.size(), 2u);
    EXPECT_EQ(told.back(), "notice T: ハードコピーを印刷できませんでした: the printer failed");
    EXPECT_EQ(log.lines.size(), 2u);

    // Text on the clipboard prints nothing and clears nothing.
    page.failPrint = false;
    clipboard.text = true;
    change();
    clipboard.text = false;
    page.failPrint = true;
    change();
    EXPECT_EQ(told.size(), 2u);

    // One that prints clears every reason: each is told again.
    page.failPrint = false;
    change();
    ASSERT_EQ(page.printed.size(), 1u);
    page.failPrint = true;
    change();
    printer.installed = false;
    change();
    EXPECT_EQ(told.size(), 4u);
}

// The page form at its design size, sized for a printer whose page is
// 12000 twips wide: the size computation of one hard copy.
class PageSize : public HardCopy {
protected:
    void printBitmap(std::uintptr_t id, float width, float height)
    {
        clipboard.holdBitmap(id, width, height);
        frmHardCopy.Load();
        frmHardCopy.ChangeClipBoard();
        frmHardCopy.Unload();
    }
};

TEST_F(PageSize, FollowsOnlyThePageWidthAndABitmapThatGoesBeforeThePrintIsNotPrinted)
{
    printBitmap(7, 19200, 10800);
    // ratio = 12000 / 8275 = 1.450151
    EXPECT_NEAR(page.formW, 11729.0, 0.05);
    EXPECT_NEAR(page.formH, 7726.6, 0.05);
    ASSERT_EQ(page.printed.size(), 1u);
    EXPECT_NEAR(page.printed[0].width, 11609.0, 0.05);
    EXPECT_NEAR(page.printed[0].height, 7336.6, 0.05);

    // A wide and a tall picture are printed alike, whatever the page's height.
    printBitmap(8, 30000, 3000);
    printBitmap(9, 3000, 30000);
    printer.height = 1;
    printBitmap(10, 3000, 30000);
    ASSERT_EQ(page.printed.size(), 4u);
    for (const std::size_t i : {2u, 3u}) {
        EXPECT_EQ(page.printed[i].width, page.printed[1].width) << i;
        EXPECT_EQ(page.printed[i].height, page.printed[1].height) << i;
    }

    int bitmapTests = 0;
    clipboard.onGetFormat = [&](ClipboardFormat format) {
        if (format == ClipboardFormat::Bitmap && ++bitmapTests == 2) {
            clipboard.empty();
        }
    };
    page.formW = 0;
    printBitmap(11, 19200, 10800);
    EXPECT_EQ(page.printed.size(), 4u);
    EXPECT_NEAR(page.formW, 11729.0, 0.05); // sized all the same
}

TEST_F(PageSize, FloatingPointFaultsEndTheHardCopy)
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float huge = std::numeric_limits<float>::max();
    const struct {
        const char* name;
        float boxWidth;
        float boxHeight;
        std::int32_t extent;
    } cases[] = {
        {"division by zero", 20, 20, 16000},
        {"zero by zero", 20, 20, 0},
        {"not a number", nan, 5535, 12000},
        {"overflow", -huge, 21, std::numeric_limits<std::int32_t>::max()},
        {"infinity", std::numeric_limits<float>::infinity(), 5535, 12000},
    };
    for (const auto& c : cases) {
        clipboard.holdBitmap(7);
        printer.height = c.extent;
        frmHardCopy.Load();
        page.box.width = c.boxWidth;
        page.box.height = c.boxHeight;
        EXPECT_THROW(frmHardCopy.ChangeClipBoard(), HardCopyFault) << c.name;
    }
    EXPECT_TRUE(page.printed.empty());
}

} // namespace
} // namespace kumoden::test
