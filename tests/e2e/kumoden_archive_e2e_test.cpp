// The archive folder on a file system of its own: one that has no room left,
// and one a file is given back from while the program is killed. A program
// of its own: the mount lives in this process's mount namespace.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/print_outputs.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::runtime_error refused(const std::string& what)
{
    return std::runtime_error(what + " refused: " + std::strerror(errno) +
                              " (this test mounts a tmpfs and needs root)");
}

// A tmpfs of the given size on folder, mounted in a mount namespace of this
// process's own that sends nothing back to the machine's; the programs the
// test starts inherit it.
class PrivateTmpfs {
public:
    PrivateTmpfs(const fs::path& folder, const std::string& size) : m_folder(folder)
    {
        if (unshare(CLONE_NEWNS) != 0) {
            throw refused("unshare(CLONE_NEWNS)");
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            throw refused("making the mounts private");
        }
        const std::string options = "size=" + size;
        if (mount("kumoden-test", m_folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
            throw refused("mounting a tmpfs");
        }
    }
    PrivateTmpfs(const PrivateTmpfs&) = delete;
    PrivateTmpfs& operator=(const PrivateTmpfs&) = delete;
    ~PrivateTmpfs() { umount2(m_folder.c_str(), MNT_DETACH); }

    std::uintmax_t room() const
    {
        struct statvfs info {};
        return statvfs(m_folder.c_str(), &info) == 0 ? std::uintmax_t{info.f_bavail} * info.f_frsize : 0;
    }

private:
    fs::path m_folder;
};

// Counts the files moved out of a folder: each take of a file into an
// archive on another file system begins so.
class MovesOut {
public:
    explicit MovesOut(const fs::path& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd < 0 || inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_FROM) < 0) {
            throw std::runtime_error("cannot watch " + folder.string() + ": " + std::strerror(errno));
        }
    }
    MovesOut(const MovesOut&) = delete;
    MovesOut& operator=(const MovesOut&) = delete;
    ~MovesOut() { close(m_fd); }

    int count()
    {
        alignas(inotify_event) char buffer[4096];
        ssize_t length = 0;
        while ((length = read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                ++m_count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return m_count;
    }

private:
    int m_fd;
    int m_count = 0;
};

// Kills the program the moment the file named in folder is first written
// to; false when that does not happen within the time given.
bool killWhenWritten(pid_t program, const fs::path& folder, const std::string& name,
                     std::chrono::milliseconds limit)
{
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, folder.c_str(), IN_MODIFY) < 0) {
        throw std::runtime_error("cannot watch " + folder.string() + ": " + std::strerror(errno));
    }
    const auto end = std::chrono::steady_clock::now() + limit;
    bool written = false;
    while (!written && std::chrono::steady_clock::now() < end) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) {
            continue;
        }
        alignas(inotify_event) char buffer[4096];
        const ssize_t length = read(fd, buffer, sizeof buffer);
        for (ssize_t at = 0; at < length && !written;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            written = event->len > 0 && name == event->name;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(fd);
    return written && kill(program, SIGKILL) == 0;
}

// Everything below folder, by relative path.
std::vector<std::string> contents(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

using Archive = E2e;

TEST_F(Archive, AFileWithNoRoomInTheArchiveWaitsAndGoesOnceThereIsRoom)
{
    writeWorkingIni();
    const fs::path archive = in() / "BackPdf";
    fs::create_directory(archive);
    const PrivateTmpfs tmpfs(archive, "64k");
    const std::string older = tinyPdf();
    const std::string newer = tinyPdf(24 * 1024);
    dir.write(backup("job-big.pdf"), older);
    const fs::path filler = dir.write(archive / "filler.bin", std::string(52 * 1024, 'f'));
    ASSERT_LT(tmpfs.room(), newer.size());
    MovesOut takes(in());
    PrintOutputs printed("PDF2");
    dir.write("in/job-big.pdf", newer);
    start();

    // Tried once, the file is held back: neither waited on nor taken again
    // over the waits of two more files.
    const std::string noRoom = "BackPdf に空きがないため移動できません: job-big.pdf";
    ASSERT_TRUE(eventually(30s, [&] { return log().find(noRoom) != std::string::npos; })) << log();
    const int tried = takes.count();
    EXPECT_FALSE(eventually(12s, [&] { return takes.count() > tried; })) << log();
    EXPECT_EQ(readFile(backup("job-big.pdf")), older);
    EXPECT_EQ(readFile(in() / "job-big.pdf"), newer);
    EXPECT_EQ(fs::file_size(filler), 52u * 1024);
    EXPECT_TRUE(printed.newFiles().empty());
    EXPECT_EQ(countOf(log(), noRoom), 1u) << log();
    // Nothing of the program's is left on the full file system but its lock.
    EXPECT_EQ(contents(archive),
              (std::vector<std::string>{".kumoden", ".kumoden/lock", "filler.bin", "job-big.pdf"}));

    // With room, the same file replaces the older one and is printed once.
    fs::remove(filler);
    ASSERT_TRUE(eventually(60s, [&] { return readFile(backup("job-big.pdf")) == newer; }));
    EXPECT_FALSE(fs::exists(in() / "job-big.pdf"));
    EXPECT_EQ(printed.waitForNew(30s, 1).size(), 1u);
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_EQ(printed.newFiles().size(), 1u);
    EXPECT_EQ(countOf(log(), "BackPdf に移動: job-big.pdf"), 1u) << log();
}

// A reader that does not start has a large file given back across file
// systems; the program is killed while the copy back is being written. The
// next start, with the reader mended, prints the file once, whole, and
// leaves nothing of its own behind.
TEST_F(Archive, AGiveBackKilledMidCopyIsFinishedAndTheFilePrintsOnceWhole)
{
    // Writes down the file it is given and copies it; not executable yet.
    const fs::path launches = dir.path() / "launches.txt";
    const fs::path printed = dir.path() / "printed.pdf";
    const fs::path reader = script("reader", "printf '%s\\n' \"$5\" >> '" + launches.string() +
                                                 "'\ncp \"$5\" '" + printed.string() + ".part' && mv '" +
                                                 printed.string() + ".part' '" + printed.string() + "'\n");
    fs::permissions(reader, fs::perms::owner_read | fs::perms::owner_write);
    writeWatchIni(reader.string(), "FileSelect=job\r\nPrinterNm=PDF2\r\n");
    const fs::path archive = in() / "BackPdf";
    fs::create_directory(archive);
    const PrivateTmpfs tmpfs(archive, "160m");
    const std::string pdf = tinyPdf(64u << 20);
    dir.write("in/job-big.pdf", pdf);
    const fs::path returning = in() / ".kumoden-return";

    // Each try takes the file in, fails to start the reader and begins the
    // copy back; a kill that comes too late leaves the file to be taken again.
    bool midCopy = false;
    for (int attempt = 1; attempt <= 5 && !midCopy; ++attempt) {
        start();
        ASSERT_TRUE(killWhenWritten(kumoden->pid(), in(), ".kumoden-return", 30s))
            << "the file was not given back\n"
            << log();
        EXPECT_EQ(kumoden->wait(5s), -1);
        midCopy = fs::exists(returning) && fs::file_size(returning) < pdf.size();
    }
    ASSERT_TRUE(midCopy) << "the kill never came while the copy back was under way";
    // The file is whole in the archive's work folder, and only there.
    EXPECT_TRUE(readFile(archive / ".kumoden" / "file") == pdf);
    EXPECT_TRUE(fs::exists(archive / ".kumoden" / "back"));
    EXPECT_FALSE(fs::exists(in() / "job-big.pdf"));
    EXPECT_FALSE(fs::exists(launches));

    const std::string undone = "途中で終わった移動を取り消し、監視フォルダーに戻しました: job-big.pdf";
    const std::size_t undoneBefore = countOf(log(), undone);
    fs::permissions(reader, fs::perms::owner_all);
    start();
    ASSERT_TRUE(eventually(60s, [&] { return fs::exists(printed); })) << log();
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_EQ(readFile(launches), backup("job-big.pdf").string() + "\n");
    EXPECT_EQ(countOf(log(), launchLine("job-big.pdf", reader.string())), 1u) << log();
    EXPECT_EQ(countOf(log(), undone), undoneBefore + 1) << log();
    EXPECT_EQ(fs::file_size(printed), pdf.size());
    EXPECT_TRUE(readFile(printed) == pdf);
    EXPECT_TRUE(readFile(backup("job-big.pdf")) == pdf);
    EXPECT_EQ(contents(in()), (std::vector<std::string>{"BackPdf", "BackPdf/.kumoden",
                                                        "BackPdf/.kumoden/lock", "BackPdf/job-big.pdf"}));
}

} // namespace
} // namespace kumoden::test
