// The hard copy end to end: the built program on an X server of each
// test's own with a tray host, pictures put on the clipboard by xclip, and
// the scheduler's cups-pdf queue PDF as the current printer.
#include "tests/e2e/tray_fixture.h"
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/print_outputs.h"

#include <array>
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
        // The test command starts the scheduler: without it these would check nothing.
        ASSERT_EQ(schedulerProblem(), "");
        startTrayHost();
        wide = writeQuartersPicture(dir.path() / "wide.png", 320, 120);
        tall = writeQuartersPicture(dir.path() / "tall.png", 120, 320);
    }
    // The program, once its icon is in the tray: the clipboard hook comes
    // right after the icon.
    void startProgram(const std::vector<std::string>& extraEnv = {},
                      Process::Output output = Process::Output::Inherit)
    {
        std::vector<std::string> env{"LPDEST=" + kHardCopyQueue};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        TrayFixture::startProgram(env, output);
        ASSERT_TRUE(eventually(15s, [&] { return !icons().empty(); })) << "the program did not come up";
        std::this_thread::sleep_for(300ms);
    }

    void copyPicture(const fs::path& picture, const std::string& selection = "clipboard")
    {
        const RunResult run =
            x({"xclip", "-selection", selection, "-t", "image/png", "-i", picture.string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    // The one hard copy printed since the outputs were first looked at, as
    // a page.
    Raster oneHardCopy(HardCopyOutputs& outputs)
    {
        const std::vector<fs::path> printed = outputs.waitForNew(30s);
        if (printed.size() != 1) {
            ADD_FAILURE() << printed.size() << " hard copies instead of one";
            return {};
        }
        // And no second one after it.
        std::this_thread::sleep_for(1s);
        EXPECT_EQ(outputs.newFiles().size(), 1u);
        EXPECT_FALSE(outputs.jobsPending());
        return renderFirstPage(printed.front(), 72);
    }
    // After a change that must print nothing, a bitmap prints: the one hard
    // copy since the outputs were first looked at is that bitmap's.
    void expectOnlyTheNextBitmapPrinted(HardCopyOutputs& outputs)
    {
        // Time for the change before to be taken, before the bitmap replaces it.
        std::this_thread::sleep_for(1s);
        copyPicture(wide);
        EXPECT_TRUE(inkedQuarters(oneHardCopy(outputs)));
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

    fs::path wide;
    fs::path tall;
};

TEST_F(HardCopy, ABitmapIsPrintedOnceStretchedIntoTheBox)
{
    startProgram();
    HardCopyOutputs first;
    copyPicture(wide);
    const Raster wideSheet = oneHardCopy(first);
    const std::optional<PixelBox> wideInk = inkedQuarters(wideSheet);
    ASSERT_TRUE(wideInk);
    // The box is nearly as wide as the page.
    EXPECT_GT(wideInk->width(), wideSheet.width * 8 / 10);

    // A tall picture fills the same box, whatever its own proportions.
    HardCopyOutputs second;
    copyPicture(tall);
    const std::optional<PixelBox> tallInk = inkedQuarters(oneHardCopy(second));
    ASSERT_TRUE(tallInk);
    EXPECT_NEAR(tallInk->left, wideInk->left, 1);
    EXPECT_NEAR(tallInk->top, wideInk->top, 1);
    EXPECT_NEAR(tallInk->width(), wideInk->width(), 1);
    EXPECT_NEAR(tallInk->height(), wideInk->height(), 1);
}

TEST_F(HardCopy, TextOrTextWithAPicturePrintsNothing)
{
    startProgram();
    {
        HardCopyOutputs outputs;
        ASSERT_EQ(
            x({"xclip", "-selection", "clipboard", "-i", dir.write("text", "a line").string()}).exitCode, 0);
        expectOnlyTheNextBitmapPrinted(outputs);
    }
    HardCopyOutputs outputs;
    Process holder({builtProgram("clipboard_owner").string(), "hold", "a caption", wide.string()},
                   programEnv());
    ASSERT_TRUE(eventually(10s, [&] {
        const std::string targets = x({"xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"}).out;
        return targets.find("image/png") != std::string::npos &&
               targets.find("text/plain") != std::string::npos;
    })) << "the clipboard never held both";
    expectOnlyTheNextBitmapPrinted(outputs);
}

TEST_F(HardCopy, ThePrimarySelectionPrintsNothing)
{
    startProgram();
    HardCopyOutputs outputs;
    copyPicture(wide, "primary");
    expectOnlyTheNextBitmapPrinted(outputs);
}

TEST_F(HardCopy, APictureThatCannotBeReadIsNoCrash)
{
    startProgram();
    HardCopyOutputs outputs;
    copyPicture(dir.write("broken.png", "\x89PNG\r\n\x1a\n but nothing after"));
    expectOnlyTheNextBitmapPrinted(outputs);
}

TEST_F(HardCopy, WithoutAPrinterTheProgramCarriesOn)
{
    startProgram({"CUPS_SERVER=" + (dir.path() / "no-scheduler.sock").string()}, Process::Output::Capture);
    // Each picture is one hard copy abandoned, told on stderr: the hook
    // still takes the next one.
    const auto abandoned = [&] { return countOf(kumoden->err(), "hard copy abandoned"); };
    copyPicture(wide);
    EXPECT_TRUE(eventually(30s, [&] { return abandoned() == 1; })) << kumoden->err();
    copyPicture(tall);
    EXPECT_TRUE(eventually(30s, [&] { return abandoned() == 2; })) << kumoden->err();
    EXPECT_TRUE(kumoden->running());
}

} // namespace
} // namespace kumoden::test
