// The hard copy end to end: the built program on an X server of each
// test's own with a tray host, pictures put on the clipboard by xclip, and
// the scheduler's cups-pdf queue PDF as the current printer.
#include "tests/e2e/tray_fixture.h"
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/print_outputs.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <thread>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using Quarters = std::array<std::string, 4>;
const Quarters kQuarters{"red", "green", "blue", "black"};

class HardCopy : public TrayFixture {
protected:
    void SetUp() override
    {
        picture = writeHardCopyPictures(dir.path());
        startTrayHost();
    }
    // The program, once its icon is in the tray: the clipboard hook comes
    // right after the icon.
    void startProgram()
    {
        TrayFixture::startProgram({"LPDEST=" + kHardCopyQueue});
        ASSERT_TRUE(eventually(15s, [&] { return !icons().empty(); })) << "the program did not come up";
        std::this_thread::sleep_for(300ms);
    }

    // Once `count` hard copies in all have come, and no more: the newest, as a page.
    Raster hardCopy(std::size_t count)
    {
        const std::vector<fs::path> printed = m_outputs.waitForNew(30s, count);
        std::vector<fs::path> fresh;
        std::copy_if(printed.begin(), printed.end(), std::back_inserter(fresh),
                     [&](const fs::path& file) { return !m_seen.contains(file); });
        m_seen.insert(printed.begin(), printed.end());
        if (printed.size() != count || fresh.size() != 1) {
            ADD_FAILURE() << printed.size() << " hard copies instead of " << count;
            return {};
        }
        return renderFirstPage(fresh.front(), 72);
    }
    // After a change that must print nothing, a bitmap prints: it is the
    // only hard copy since the one before.
    void expectOnlyTheNextBitmapPrinted(std::size_t count)
    {
        // Time for the change before to be taken, before the bitmap replaces it.
        std::this_thread::sleep_for(1s);
        copyFile(picture.wide);
        EXPECT_TRUE(inkedQuarters(hardCopy(count)));
        EXPECT_TRUE(kumoden->running());
    }
    // Where the picture's four quarters came out on the page, if they did in
    // their colours.
    static std::optional<PixelBox> inkedQuarters(const Raster& page)
    {
        const std::optional<PixelBox> ink = inkBox(page);
        if (!ink || quarterColours(page, *ink) != kQuarters) {
            ADD_FAILURE() << "the picture's quarters are not on the page in their colours";
            return std::nullopt;
        }
        return ink;
    }

    HardCopyPictures picture;
    HardCopyOutputs m_outputs;
    std::set<fs::path> m_seen;
};

TEST_F(HardCopy, EachBitmapPrintsOnceStretchedIntoTheBoxAndNothingElsePrints)
{
    startProgram();
    copyFile(picture.wide);
    const Raster wideSheet = hardCopy(1);
    const std::optional<PixelBox> wideInk = inkedQuarters(wideSheet);
    ASSERT_TRUE(wideInk);
    // The box is nearly as wide as the page.
    EXPECT_GT(wideInk->width(), wideSheet.width * 8 / 10);

    // A tall picture fills the same box, whatever its own proportions.
    copyFile(picture.tall);
    const std::optional<PixelBox> tallInk = inkedQuarters(hardCopy(2));
    ASSERT_TRUE(tallInk);
    EXPECT_NEAR(tallInk->left, wideInk->left, 1);
    EXPECT_NEAR(tallInk->top, wideInk->top, 1);
    EXPECT_NEAR(tallInk->width(), wideInk->width(), 1);
    EXPECT_NEAR(tallInk->height(), wideInk->height(), 1);

    // Text, text with a picture, the primary selection and a picture that
    // cannot be read print nothing.
    ASSERT_EQ(x({"xclip", "-selection", "clipboard", "-i", dir.write("text", "a line").string()}).exitCode,
              0);
    expectOnlyTheNextBitmapPrinted(3);
    {
        Process holder({builtProgram("clipboard_owner").string(), "hold", "a caption", picture.wide.string()},
                       programEnv());
        ASSERT_TRUE(eventually(10s, [&] {
            const std::string targets = x({"xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"}).out;
            return targets.find("image/png") != std::string::npos &&
                   targets.find("text/plain") != std::string::npos;
        })) << "the clipboard never held both";
        expectOnlyTheNextBitmapPrinted(4);
    }
    copyFile(picture.wide, "image/png", "primary");
    expectOnlyTheNextBitmapPrinted(5);
    copyFile(dir.write("broken.png", "\x89PNG\r\n\x1a\n but nothing after"));
    expectOnlyTheNextBitmapPrinted(6);
    // And no second copy of the last one.
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(m_outputs.newFiles().size(), 6u);
    EXPECT_FALSE(m_outputs.jobsPending());
}

} // namespace
} // namespace kumoden::test
