#include "platform/linux/posix/posix_application.h"
#include "platform/linux/posix/posix_file_system.h"
#include "platform/linux/posix/system_clock.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <linux/capability.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;

class PosixFiles : public ::testing::Test {
protected:
    PosixFiles() { fs::create_directory(dir.path() / "BackPdf"); }
    std::string at(const std::string& name) const { return dir.slash() + name; }

    TempDir dir;
    PosixFileSystem files;
};

// What only this platform has (the rest: FileSystemContract).
TEST_F(PosixFiles, QueriesPassOverLinksAndPipesWithoutOpeningThem)
{
    dir.write("a.pdf", "x");
    fs::create_symlink(dir.path() / "a.pdf", dir.path() / "link.pdf");
    ASSERT_EQ(mkfifo(at("fifo.pdf").c_str(), 0600), 0);
    EXPECT_EQ(files.listFiles(at("*.pdf")), std::vector<std::string>{"a.pdf"});
    EXPECT_EQ(files.listDatedFiles(at("*.pdf")).size(), 1u);
    // A FIFO is never opened, so a query cannot hang on it.
    EXPECT_FALSE(files.fileLength(at("fifo.pdf")).has_value());
}

TEST_F(PosixFiles, OddNamesComeBackByteForByte)
{
    // In byte order.
    const std::vector<std::string> names{"new\nline.pdf", std::string(251, 'n') + ".pdf",
                                         "quote\"d.pdf",  "with blank.pdf",
                                         "請求書.pdf",    "\xff\xfe.pdf"};
    for (const auto& name : names) {
        dir.write(name, "x");
    }
    EXPECT_EQ(files.listFiles(at("*.pdf")), names);
    for (const auto& name : names) {
        const FileStep step = files.renameNew(at(name), at("BackPdf/" + name));
        ASSERT_TRUE(step) << name << ": " << step.reason;
        EXPECT_EQ(files.datedFile(at("BackPdf/"), name).value().name, name);
    }
}

// A link, even to an ordinary file, has no identity; and a file made later
// under the name and the inode number of the one found is told from it by
// its birth time.
TEST_F(PosixFiles, OnlyTheFileFoundIsHeldNeverALaterFileUnderItsNumber)
{
    const auto outside = dir.write("outside/secret.pdf", "not for the reader");
    dir.write("a.pdf", "found");
    const auto found = files.fileIdentity(at("a.pdf"));
    ASSERT_TRUE(found);
    ASSERT_NE(found->born, 0u) << "the temporary folder's file system keeps no birth times";
    EXPECT_FALSE(files.fileIdentity(at("outside")));
    fs::create_symlink(outside, at("link.pdf"));
    EXPECT_FALSE(files.fileIdentity(at("link.pdf")));

    // A file made past the clock tick that dated the one found. Had it got
    // that one's inode number, this is what the find would have recorded.
    fs::remove(at("a.pdf"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    dir.write("a.pdf", "made later");
    const auto later = files.fileIdentity(at("a.pdf"));
    ASSERT_TRUE(later);
    EXPECT_GT(later->born, found->born);
    FileStep step;
    EXPECT_FALSE(files.holdFile(at("a.pdf"), {later->volume, later->index, found->born}, step));
    EXPECT_EQ(step.kind, FileStep::otherFile) << step.reason;
    EXPECT_TRUE(files.holdFile(at("a.pdf"), *later, step)) << step.reason;
}

// Takes CAP_LEASE from this thread's effective set for the object's life.
class WithoutLeaseCapability {
public:
    WithoutLeaseCapability()
    {
        syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[CAP_LEASE / 32].effective &= ~(1u << (CAP_LEASE % 32));
        m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutLeaseCapability() { syscall(SYS_capset, &m_header, m_saved); }
    bool dropped() const { return m_dropped; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

TEST_F(PosixFiles, AFileOpenForWritingIsHeldOnlyWhereLeasesCannotTellSo)
{
    // Where the kernel grants leases, a file open for writing is inUse
    // (FileSystemContract).
    const auto file = dir.write("a.pdf", "half");
    const int writer = open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const auto found = files.fileIdentity(file.string());
    ASSERT_TRUE(found);
    FileStep step;
    // Another user's file, and no CAP_LEASE: the kernel grants no lease and
    // the file is held all the same; it goes on the size rule alone.
    ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0) << "run as root";
    {
        const WithoutLeaseCapability noLeases;
        ASSERT_TRUE(noLeases.dropped());
        const auto held = files.holdFile(file.string(), *found, step);
        EXPECT_TRUE(held) << step.reason;
        EXPECT_TRUE(files.renameNew(file.string(), at("BackPdf/a.pdf")));
    }
    // The same where the backend is told there are no leases.
    const auto second = dir.write("b.pdf", "half");
    const int secondWriter = open(second.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    EXPECT_TRUE(PosixFileSystem({.leases = false})
                    .holdFile(second.string(), *files.fileIdentity(second.string()), step))
        << step.reason;
    close(secondWriter);

    // The writer goes on writing into the file moved.
    EXPECT_EQ(write(writer, " and the rest", 13), 13);
    close(writer);
    EXPECT_EQ(readFile(at("BackPdf/a.pdf")), "half and the rest");
}

TEST_F(PosixFiles, WithoutBirthTimesAFileCopiedInWithItsOldDateIsNew)
{
    const auto file = dir.write("copied.pdf", "x");
    const timespec old[2] = {{978307200, 0}, {978307200, 0}}; // 2001
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    const auto now = SystemClock().now();
    for (const bool birthTimes : {true, false}) {
        PosixFileSystem system({.birthTimes = birthTimes});
        const auto created = system.dateCreated(file.string());
        ASSERT_TRUE(created) << birthTimes;
        EXPECT_GE(*created, now - std::chrono::minutes(1)) << birthTimes;
        const auto listed = system.listDatedFiles(at("*.pdf"));
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].created, created);
    }
}

TEST(PosixApplication, TheUsersSettingsFolderFollowsXdgConfigHomeElseHome)
{
    const PosixApplication app("/usr/bin/kumoden");
    const ScopedEnv home("HOME", "/home/me");
    // A relative one is no base directory: it is ignored.
    for (const auto& [xdg, folder] :
         {std::pair<const char*, const char*>{nullptr, "/home/me/.config/kumoden"},
          {"/srv/config/", "/srv/config/kumoden"},
          {"config", "/home/me/.config/kumoden"}}) {
        const ScopedEnv set("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(app.userSettingsFolder(), folder) << (xdg ? xdg : "unset");
    }
}

// One instance per INI beside a program in /proc, which takes no new file,
// not even from root: a program folder no lock can be made in.
std::string expectOneInstanceInAReadOnlyFolder(const std::string& name)
{
    const std::string program = "/proc/" + name + "-" + std::to_string(::getpid());
    const std::string ini = program + ".INI";
    PosixApplication first(program);
    EXPECT_FALSE(first.prevInstance(ini));
    EXPECT_TRUE(PosixApplication(program).prevInstance(ini));
    return ini;
}

TEST(PosixApplication, TheLockIsAFileOfTheUsersOwnInTheRuntimeFolderElseInTheCache)
{
    {
        const TempDir runtime;
        fs::permissions(runtime.path(), fs::perms::owner_all);
        const ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
        expectOneInstanceInAReadOnlyFolder("kumoden");
        expectOneInstanceInAReadOnlyFolder("watcher");
        std::size_t locks = 0;
        for (const auto& entry : fs::directory_iterator(runtime.path())) {
            EXPECT_EQ(entry.status().permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write);
            ++locks;
        }
        EXPECT_EQ(locks, 2u);
    }
    const TempDir home;
    const ScopedEnv noCache("XDG_CACHE_HOME", nullptr);
    const ScopedEnv homeEnv("HOME", home.path().c_str());
    // Someone else's folder is no place for the lock.
    const TempDir shared;
    fs::permissions(shared.path(), fs::perms::all);
    const ScopedEnv sharedRuntime("XDG_RUNTIME_DIR", shared.path().c_str());
    const std::string ini = expectOneInstanceInAReadOnlyFolder("kumoden");
    EXPECT_TRUE(fs::is_empty(shared.path()));
    const std::string folder = PosixApplication::lockFolder();
    if (folder != "/run/user/" + std::to_string(::geteuid())) {
        EXPECT_EQ(folder, home.slash() + ".cache/kumoden");
        EXPECT_TRUE(fs::exists(PosixApplication::lockPath(ini, folder)));
    }
}

} // namespace
} // namespace kumoden::test
