// The archive folder on a file system of its own that has no room left. A
// program of its own: the mount lives in this process's mount namespace.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/print_outputs.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
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

// Counts the hidden files made in a folder: each try to take a file into
// it makes one.
class HiddenFilesMade {
public:
    explicit HiddenFilesMade(const fs::path& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd < 0 || inotify_add_watch(m_fd, folder.c_str(), IN_CREATE) < 0) {
            throw std::runtime_error("cannot watch " + folder.string() + ": " + std::strerror(errno));
        }
    }
    HiddenFilesMade(const HiddenFilesMade&) = delete;
    HiddenFilesMade& operator=(const HiddenFilesMade&) = delete;
    ~HiddenFilesMade() { close(m_fd); }

    int count()
    {
        alignas(inotify_event) char buffer[4096];
        ssize_t length = 0;
        while ((length = read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                m_count += (event->len > 0 && event->name[0] == '.') ? 1 : 0;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return m_count;
    }

private:
    int m_fd;
    int m_count = 0;
};

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
    HiddenFilesMade tries(archive);
    PrintOutputs printed("PDF2");
    dir.write("in/job-big.pdf", newer);
    start();

    // Three tries, each at least the waits of a file long.
    ASSERT_TRUE(eventually(90s, [&] { return tries.count() >= 3; })) << "the archive was not tried";
    EXPECT_EQ(readFile(backup("job-big.pdf")), older);
    EXPECT_EQ(readFile(in() / "job-big.pdf"), newer);
    EXPECT_EQ(fs::file_size(filler), 52u * 1024);
    EXPECT_TRUE(printed.newFiles().empty());
    EXPECT_EQ(countOf(log(), "BackPdf に移動できません: job-big.pdf"), 1u) << log();
    // Nothing hidden is left behind on the full file system.
    EXPECT_EQ(std::distance(fs::directory_iterator(archive), fs::directory_iterator()), 2);

    // With room, the same file replaces the older one and is printed once.
    fs::remove(filler);
    ASSERT_TRUE(eventually(60s, [&] { return readFile(backup("job-big.pdf")) == newer; }));
    EXPECT_FALSE(fs::exists(in() / "job-big.pdf"));
    EXPECT_EQ(printed.waitForNew(30s, 1).size(), 1u);
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_EQ(printed.newFiles().size(), 1u);
    EXPECT_EQ(countOf(log(), "BackPdf に移動: job-big.pdf"), 1u) << log();
}

} // namespace
} // namespace kumoden::test
