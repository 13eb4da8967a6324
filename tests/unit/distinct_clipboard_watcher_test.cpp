// The guard for Qt's own Wayland client, which reports the same clipboard
// again whenever one of the program's windows takes the focus.
#include "platform/linux/qt/distinct_clipboard_watcher.h"
#include "tests/fakes/fake_hard_copy.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

TEST(DistinctClipboardWatcher, OnlyContentThatDiffersFromTheLastIsAChange)
{
    fake::Journal journal;
    fake::FakeClipboardWatcher inner(journal);
    std::string content = "picture at start";
    DistinctClipboardWatcher watcher(inner, [&] { return content; });
    int changes = 0;
    ASSERT_TRUE(watcher.watch([&] { ++changes; }));

    // The content there at watching, reported again at a focus, is none.
    inner.change();
    EXPECT_EQ(changes, 0);
    content = "picture A";
    inner.change();
    inner.change();
    EXPECT_EQ(changes, 1);
    // Back to an earlier content is a change: only the last one counts.
    content = "picture at start";
    inner.change();
    content = "picture A";
    inner.change();
    EXPECT_EQ(changes, 3);

    watcher.stop();
    EXPECT_FALSE(inner.watching());
    content = "picture B";
    inner.change();
    EXPECT_EQ(changes, 3);
}

} // namespace
} // namespace kumoden
