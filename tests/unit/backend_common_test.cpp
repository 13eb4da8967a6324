// What both platforms' backends share, apart from any system: the program's
// place from its path in either style, the UTF-8 decoder, and the follower
// of started programs over a watch of the test's own.
#include "platform/common/program_path.h"
#include "platform/common/task_follower.h"
#include "platform/common/utf8.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <tuple>

namespace kumoden {
namespace {

TEST(ProgramPath, EachStyleKeepsItsRootsSeparatorAndDropsOnlyTheLastExtension)
{
    using enum PathStyle;
    for (const auto& [path, style, folder, name] : {
             std::tuple{"/opt/kumoden/kumoden", posix, "/opt/kumoden", "kumoden"},
             {"/kumoden.bin", posix, "/", "kumoden"},
             {"kumoden", posix, ".", "kumoden"},
             {"/opt/.kumoden", posix, "/opt", ".kumoden"},
             {"/a:/b\\kumoden.v2.x", posix, "/a:", "b\\kumoden.v2"},
             {"C:\\Tools\\kumoden.exe", windows, "C:\\Tools", "kumoden"},
             {"C:\\kumoden.exe", windows, "C:\\", "kumoden"},
             {"\\kumoden.exe", windows, "\\", "kumoden"},
             {"D:/Tools/kumoden.exe", windows, "D:/Tools", "kumoden"},
             {"kumoden.exe", windows, ".", "kumoden"},
         }) {
        const ProgramPlace place = SplitProgramPath(path, style);
        EXPECT_EQ(place.folder, folder) << path;
        EXPECT_EQ(place.name, name) << path;
    }
}

TEST(Utf8, DecodesEachLengthAndRefusesWhatIsNotWellFormed)
{
    for (const auto& [text, codePoint, length] : {
             std::tuple{std::string_view("A"), 0x41u, 1u},
             {"\xC3\xA9", 0xE9u, 2u},
             {"\xE3\x81\x82", 0x3042u, 3u},
             {"\xEF\xBF\xBF", 0xFFFFu, 3u},
             {"\xF0\x9F\x98\x80", 0x1F600u, 4u},
             {"\xF4\x8F\xBF\xBF", 0x10FFFFu, 4u},
         }) {
        const auto decoded = DecodeUtf8(text, 0);
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(decoded->codePoint, codePoint) << text;
        EXPECT_EQ(decoded->length, length) << text;
    }
    for (const std::string_view bad : {
             "\x80",             // a continuation alone
             "\xC0\x80",         // overlong
             "\xE0\x9F\xBF",     // overlong
             "\xED\xA0\x80",     // a surrogate
             "\xF4\x90\x80\x80", // past U+10FFFF
             "\xF5\x80\x80\x80", // no such lead
             "\xE3\x81",         // cut short
             "\xE3\x41\x82",     // not continued
         }) {
        EXPECT_FALSE(DecodeUtf8(bad, 0)) << testing::PrintToString(bad);
        EXPECT_FALSE(IsValidUtf8(std::string("ok") + std::string(bad))) << testing::PrintToString(bad);
    }
    EXPECT_TRUE(IsValidUtf8(std::string_view("a\0\xE3\x81\x82", 5)));
}

// What the follower's watch reports, set by the test; the follower's thread
// reads it too.
struct Board {
    std::mutex mutex;
    std::condition_variable changed;
    bool threaded = false;
    bool woken = false;
    std::map<std::uint64_t, int> exits; // programs ended, with their codes
    std::vector<std::uint64_t> unfollowed;
    std::vector<std::uint64_t> released;

    void end(std::uint64_t task, int code)
    {
        const std::lock_guard lock(mutex);
        exits[task] = code;
        woken = true;
        changed.notify_all();
    }
};

Board* board = nullptr;
const LocalTime kSeen = LocalTime(std::chrono::seconds(1234));

class BoardWatch {
public:
    struct Child {
        std::uint64_t task;
    };
    static constexpr bool kLooksOnTake = false;

    std::uint64_t task(const Child& child) const { return child.task; }
    LocalTime now() const { return kSeen; }
    std::optional<TaskEnd> ended(Child& child)
    {
        const std::lock_guard lock(board->mutex);
        const auto found = board->exits.find(child.task);
        if (found == board->exits.end()) {
            return std::nullopt;
        }
        return TaskEnd{0, found->second, 0, {}};
    }
    void unfollow(Child& child)
    {
        const std::lock_guard lock(board->mutex);
        board->unfollowed.push_back(child.task);
    }
    void release(Child& child)
    {
        const std::lock_guard lock(board->mutex);
        board->released.push_back(child.task);
    }
    void tidy() {}
    bool canWait() const { return board->threaded; }
    void cannotWait() {}
    void wake()
    {
        const std::lock_guard lock(board->mutex);
        board->woken = true;
        board->changed.notify_all();
    }
    void watch(const std::deque<Child>&) {}
    void wait()
    {
        std::unique_lock lock(board->mutex);
        board->changed.wait_for(lock, std::chrono::seconds(1), [] { return board->woken; });
        board->woken = false;
    }
};

class TaskFollowerTest : public testing::Test {
protected:
    TaskFollowerTest() { board = &m_board; }
    ~TaskFollowerTest() override { board = nullptr; }

    Board m_board;
};

TEST_F(TaskFollowerTest, PastTheBoundTheOldestIsGivenUpOnceAndEndsComeInTheOrderFollowed)
{
    {
        TaskFollower<BoardWatch> follower(2);
        follower.add({1});
        follower.add({2});
        follower.add({3});
        const auto givenUp = follower.take();
        ASSERT_EQ(givenUp.size(), 1u);
        EXPECT_EQ(givenUp[0].task, 1u);
        EXPECT_TRUE(givenUp[0].unfollowed);
        EXPECT_FALSE(givenUp[0].failed());
        EXPECT_EQ(givenUp[0].at, kSeen);
        EXPECT_EQ(m_board.unfollowed, std::vector<std::uint64_t>{1});

        m_board.end(3, 4);
        m_board.end(1, 9); // given up: never told
        const auto ends = follower.take();
        ASSERT_EQ(ends.size(), 1u);
        EXPECT_EQ(ends[0].task, 3u);
        EXPECT_EQ(ends[0].exitCode, 4);
        EXPECT_FALSE(ends[0].unfollowed);
        EXPECT_EQ(ends[0].at, kSeen);
        EXPECT_TRUE(follower.take().empty());
        follower.add({4});
        EXPECT_TRUE(follower.take().empty()); // 2 and 4 within the bound again
    }
    // The follower goes: what still follows a program is given back.
    EXPECT_EQ(m_board.released, (std::vector<std::uint64_t>{2, 4}));
}

TEST_F(TaskFollowerTest, WithAThreadEachEndIsToldAsItComesAndMayBeTakenFromTheHandler)
{
    m_board.threaded = true;
    std::mutex mutex;
    std::condition_variable told;
    std::vector<TaskEnd> taken;
    TaskFollower<BoardWatch> follower(4);
    // Taking from the handler itself works only when it is called outside
    // the follower's lock.
    follower.setEndHandler([&] {
        auto ends = follower.take();
        const std::lock_guard lock(mutex);
        taken.insert(taken.end(), ends.begin(), ends.end());
        told.notify_all();
    });
    follower.add({7});
    follower.add({8});
    m_board.end(8, 0);
    m_board.end(7, 3);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(told.wait_for(lock, std::chrono::seconds(10), [&] { return taken.size() == 2; }));
    }
    EXPECT_EQ(taken[0].task + taken[1].task, 15u);
    for (const TaskEnd& end : taken) {
        EXPECT_EQ(end.exitCode, end.task == 7 ? 3 : 0);
        EXPECT_EQ(end.failed(), end.task == 7);
    }
}

} // namespace
} // namespace kumoden
