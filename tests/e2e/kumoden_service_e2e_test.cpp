// The program as systemd runs it: the notification socket and the journal's
// stream are the test's own, so what the program tells them is read here.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/eventually.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A notification socket as systemd makes one: datagrams, one message each.
class NotifySocket {
public:
    explicit NotifySocket(const std::filesystem::path& path) : m_path(path.string())
    {
        m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, m_path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << m_path;
    }
    ~NotifySocket() { close(m_fd); }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    struct Message {
        std::string text;
        Clock::time_point at;
    };
    std::string environment() const { return "NOTIFY_SOCKET=" + m_path; }

    // Every message until one contains the text given; false when none did in time.
    bool receiveUntil(const std::string& part, std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            pollfd wait{m_fd, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (poll(&wait, 1, static_cast<int>(std::max(left.count(), 1L))) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                messages.push_back({std::string(buffer, static_cast<std::size_t>(got)), Clock::now()});
                if (messages.back().text.find(part) != std::string::npos) {
                    return true;
                }
            }
        }
        return false;
    }
    std::vector<Clock::time_point> watchdogs() const
    {
        std::vector<Clock::time_point> times;
        for (const Message& message : messages) {
            if (message.text == "WATCHDOG=1") {
                times.push_back(message.at);
            }
        }
        return times;
    }
    static std::chrono::milliseconds longestGap(const std::vector<Clock::time_point>& times)
    {
        std::chrono::milliseconds longest{0};
        for (std::size_t i = 1; i < times.size(); ++i) {
            longest = std::max(
                longest, std::chrono::duration_cast<std::chrono::milliseconds>(times[i] - times[i - 1]));
        }
        return longest;
    }

    std::vector<Message> messages;

private:
    std::string m_path;
    int m_fd = -1;
};

class Service : public E2e {
protected:
    NotifySocket notify{dir.path() / "notify"};
};

TEST_F(Service, ReadyStatusAndAWatchdogThatAPassOfManyFilesNeverStarves)
{
    // A watchdog of 8 s, shorter than the pass below by far, longer than its
    // longest fixed wait (5 s after a launch).
    writeWatchIni(noPrinting());
    for (const char* name : {"a.pdf", "b.pdf", "c.pdf"}) {
        drop(name);
    }
    start({notify.environment(), "WATCHDOG_USEC=8000000"});
    const std::string watching = "STATUS=監視中: " + in().string() + " — 印刷 ";
    ASSERT_TRUE(notify.receiveUntil("READY=1", 20s));
    EXPECT_EQ(notify.messages.back().text, "READY=1\n" + watching + "0、失敗 0");

    ASSERT_TRUE(notify.receiveUntil(watching + "3、失敗 0", 90s));
    const auto passEnded = Clock::now();
    // Each file handed over was told as it went.
    for (const char* count : {"1、", "2、"}) {
        EXPECT_TRUE(std::any_of(
            notify.messages.begin(), notify.messages.end(),
            [&](const NotifySocket::Message& m) { return m.text == watching + count + "失敗 0"; }))
            << count;
    }
    const auto watchdogs = notify.watchdogs();
    ASSERT_GE(watchdogs.size(), 2u);
    // The pass kept the event loop from running for longer than the
    // watchdog, and yet no sign of life was ever further apart than it.
    EXPECT_GT(passEnded - notify.messages.front().at, 8s);
    EXPECT_LT(NotifySocket::longestGap(watchdogs), 7s);

    kill(kumoden->pid(), SIGTERM);
    EXPECT_TRUE(notify.receiveUntil("STOPPING=1", 20s));
    EXPECT_EQ(kumoden->wait(20s), 0);
}

TEST_F(Service, IdleWithRareTicksTheEventLoopKeepsTheWatchdogFedAndAFailureIsTheStatus)
{
    writeIni("FileChkTime=600000\r\nFileChkDir=" + in().string() +
             "\r\nAcrExeDir=" + (app() / "none").string() + "\r\n");
    start({notify.environment(), "WATCHDOG_USEC=1000000"});
    ASSERT_TRUE(notify.receiveUntil("READY=1", 20s));
    // The missing reader was told at load: the status says so.
    EXPECT_NE(notify.messages.back().text.find("失敗 1 (印刷プログラムが見つかりません: "), std::string::npos)
        << notify.messages.back().text;
    const auto ready = Clock::now();
    notify.receiveUntil("never sent", 3s);
    const auto watchdogs = notify.watchdogs();
    // Half the watchdog apart, with no tick in ten minutes.
    EXPECT_GE(watchdogs.size(), 4u);
    EXPECT_LT(NotifySocket::longestGap(watchdogs), 900ms);
    EXPECT_LT(watchdogs.front() - ready, 900ms);
}

TEST_F(Service, LogLinesGoToTheJournalStreamWithTheirLevelAndTheLogFileIsUnchanged)
{
    // A reader that fails: its launch is work done, its failure an error.
    const auto reader = script("reader", "echo 'out of paper' >&2\nexit 3\n");
    writeWatchIni(reader.string());
    drop("a.pdf");
    // JOURNAL_STREAM names the error output's device and inode, as systemd
    // names the journal's stream; here the stream is a file of the test's.
    const std::string shell = "JOURNAL_STREAM=$(stat -L -c %d:%i /proc/self/fd/2) exec \"$0\"";
    Process program({"/bin/sh", "-c", shell, (app() / "kumoden").string()}, environment(),
                    Process::Output::Capture);
    ASSERT_TRUE(eventually(60s, [&] { return log().find("out of paper") != std::string::npos; })) << log();
    program.terminate();

    const std::string journal = program.err();
    EXPECT_NE(journal.find("<6>"), std::string::npos) << journal;
    EXPECT_NE(journal.find(" BackPdf に移動: a.pdf\n"), std::string::npos) << journal;
    // Each line of the log is in the journal once, behind its level.
    const std::string file = log();
    std::size_t lines = 0;
    for (std::size_t start = 0, end; (end = file.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = file.substr(start, end - start);
        const bool failure = line.find("out of paper") != std::string::npos;
        EXPECT_EQ(countOf(journal, (failure ? "<3>" : "<6>") + line + "\n"), 1u) << line;
        ++lines;
    }
    EXPECT_GE(lines, 3u) << file;

    // A stream that is not the one JOURNAL_STREAM names gets no levels.
    std::filesystem::remove(app() / "kumoden.log");
    drop("b.pdf");
    Process other({(app() / "kumoden").string()}, environment({"JOURNAL_STREAM=1:1"}),
                  Process::Output::Capture);
    ASSERT_TRUE(eventually(60s, [&] { return log().find("out of paper") != std::string::npos; })) << log();
    other.terminate();
    EXPECT_EQ(other.err().find("<6>"), std::string::npos) << other.err();
}

} // namespace
} // namespace kumoden::test
