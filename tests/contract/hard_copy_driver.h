#pragma once

// The hard copy's backends of one platform as the program meets them: the
// clipboard filled the way another program fills it, the page form and the
// current printer, the queue PDF of the tests' own scheduler. The contract
// suite drives every backend through this.
#include "platform/clipboard.h"
#include "platform/clipboard_watcher.h"
#include "platform/hard_copy_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace kumoden::test {

class HardCopyDriver {
public:
    virtual ~HardCopyDriver() = default;

    virtual ClipboardWatcher& watcher() = 0;
    virtual Clipboard& clipboard() = 0;
    virtual HardCopyPageView& page() = 0;
    virtual PagePrinter& printer() = 0;

    // What another program puts on the clipboard: a bitmap red at its top
    // left, a text, bytes under a bitmap's name that make no bitmap.
    virtual void putPicture(int width, int height) = 0;
    virtual void putText(const std::string& text) = 0;
    virtual void putBrokenPicture() = 0;
    // A picture of the backend's own, as its clipboard hands one over.
    virtual PicturePtr picture(int width, int height) = 0;
    // A picture's size in pixels, and whether its top left pixel is red.
    struct Seen {
        int width = 0;
        int height = 0;
        bool redTopLeft = false;
        friend bool operator==(const Seen&, const Seen&) = default;
    };
    virtual Seen seen(const Picture& picture) = 0;

    // Lets the platform deliver its messages until the condition holds or
    // the time is up; whether it held.
    virtual bool waitFor(std::chrono::milliseconds limit, const std::function<bool()>& condition) = 0;
    // Time for a notice that should not come, were one coming.
    virtual void settle() = 0;
};

// The platform's backends, the printer set to the tests' queue PDF.
std::unique_ptr<HardCopyDriver> MakeHardCopyDriver();

// Each backend's driver, watching the clipboard and counting its changes.
class HardCopyCase : public ::testing::Test {
protected:
    void SetUp() override { watch(); }
    void TearDown() override { driver.watcher().stop(); }

    void watch()
    {
        ASSERT_TRUE(driver.watcher().watch([this] { ++changes; }));
    }
    bool noticed(int count)
    {
        return driver.waitFor(std::chrono::seconds(5), [&] { return changes >= count; });
    }

    std::unique_ptr<HardCopyDriver> owned = MakeHardCopyDriver();
    HardCopyDriver& driver = *owned;
    int changes = 0;
};

} // namespace kumoden::test
