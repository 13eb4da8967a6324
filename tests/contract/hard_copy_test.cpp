// What every hard copy backend promises: the clipboard read as it is at
// each change, the watch that ends and starts again, the page form's sizes
// and one job on the current printer.
#include "hardcopy/frm_hard_copy.h"
#include "tests/contract/hard_copy_driver.h"
#include "tests/support/print_outputs.h"

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
using HardCopyContract = HardCopyCase;

TEST_F(HardCopyContract, TheClipboardIsReadAsItIsAtEachChange)
{
    driver.putPicture(8, 4);
    ASSERT_TRUE(noticed(1));
    EXPECT_FALSE(driver.clipboard().getFormat(ClipboardFormat::Text));
    EXPECT_TRUE(driver.clipboard().getFormat(ClipboardFormat::Bitmap));
    const PicturePtr bitmap = driver.clipboard().getData();
    ASSERT_NE(bitmap->handle(), 0u);
    EXPECT_EQ(driver.seen(*bitmap), (HardCopyDriver::Seen{8, 4, true}));

    driver.putText("テキスト");
    ASSERT_TRUE(noticed(2));
    EXPECT_TRUE(driver.clipboard().getFormat(ClipboardFormat::Text));
    EXPECT_FALSE(driver.clipboard().getFormat(ClipboardFormat::Bitmap));
    EXPECT_EQ(driver.clipboard().getData()->handle(), 0u);

    driver.putBrokenPicture();
    ASSERT_TRUE(noticed(3));
    EXPECT_EQ(driver.clipboard().getData()->handle(), 0u);
}

TEST_F(HardCopyContract, NoNoticeComesOnceStoppedAndOneAChangeWhenWatchedAgain)
{
    driver.watcher().stop();
    driver.watcher().stop(); // nothing when not watching
    driver.putPicture(8, 4);
    driver.settle();
    EXPECT_EQ(changes, 0);

    // Joining with a picture there is no change; joining twice, not twice.
    watch();
    watch();
    driver.settle();
    EXPECT_EQ(changes, 0);
    driver.putText("text");
    EXPECT_TRUE(noticed(1));
    driver.settle();
    EXPECT_EQ(changes, 1);
}

TEST_F(HardCopyContract, ThePageFormKeepsWholePixelsAndTheBoxItsTwips)
{
    HardCopyPageView& page = driver.page();
    page.load(HardCopyFormDesign());
    EXPECT_EQ(page.boxWidth(), 8295.0f);
    EXPECT_EQ(page.boxHeight(), 5535.0f);

    // The sizes of a 12000-twip page: the form rounds to whole pixels.
    page.setFormWidth(11729.003f);
    page.setFormHeight(7726.586f);
    EXPECT_EQ(page.formWidth(), 11730.0f);
    EXPECT_EQ(page.formHeight(), 7725.0f);
    page.setBoxWidth(11610.0f);
    page.setBoxHeight(7336.5f);
    EXPECT_EQ(page.boxHeight(), 7336.5f);

    // A stretched box keeps its size whatever the picture's.
    page.setPicture(driver.picture(640, 48));
    EXPECT_EQ(page.boxWidth(), 11610.0f);
    page.unload();
    EXPECT_THROW(page.boxWidth(), HardCopyError);

    // One that does not stretch takes the picture's size.
    PageFormDesign plain = HardCopyFormDesign();
    plain.stretch = false;
    page.load(plain);
    page.setPicture(driver.picture(64, 48));
    EXPECT_EQ(page.boxWidth(), 960.0f);
    EXPECT_EQ(page.boxHeight(), 720.0f);
    page.unload();
}

TEST_F(HardCopyContract, APictureIsOneJobOnTheCurrentPrintersPage)
{
    // The test command starts the scheduler: without it this would check nothing.
    ASSERT_EQ(schedulerProblem(), "");
    const std::int32_t width = driver.printer().pageWidth();
    EXPECT_GT(width, 5000);
    EXPECT_GT(driver.printer().pageHeight(), width);

    HardCopyPageView& page = driver.page();
    page.load(HardCopyFormDesign());
    page.setPicture(driver.picture(64, 48));
    PrintOutputs outputs("PDF", "Kumoden");
    page.printForm();
    page.unload();
    EXPECT_EQ(outputs.waitForNew(30s).size(), 1u);
}

} // namespace
} // namespace kumoden::test
