// The archive purge on real files, told of their changes by
// ReadDirectoryChangesW. The kernel may complete the read a moment after a
// change (Wine reports them from its server), so each check polls for it.
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/watch_fakes.h"
#include "tests/windows/win32_test_support.h"
#include "watch/backup_purge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace kumoden {
namespace {

using namespace std::chrono_literals;
using test::TempDir;
using test::utf8;
using win32test::AddAttributes;
using win32test::WaitFor;

class Win32FolderChangesTest : public ::testing::Test {
protected:
    std::filesystem::path folder() const { return m_dir.path() / L"BackPdf"; }
    std::string folderText() const { return m_dir.slash() + "BackPdf\\"; }

    // Takes changes until every name was told; false when one never was.
    bool told(FolderChanges& changes, std::set<std::string> names, bool& lost)
    {
        return WaitFor(5s,
                       [&] {
                           const FolderChangeSet set = changes.take();
                           lost = lost || set.lost;
                           for (const std::string& name : set.names) {
                               names.erase(name);
                           }
                           return names.empty() || lost;
                       }) &&
               names.empty();
    }

    TempDir m_dir;
    Win32FileSystem m_files;
};

TEST_F(Win32FolderChangesTest, EveryChangeToAnEntryIsTold)
{
    m_dir.write(L"BackPdf\\a.pdf", "x");
    m_dir.write(L"BackPdf\\b.pdf", "x");
    m_dir.write(L"elsewhere.pdf", "x");
    auto changes = m_files.watchFolder(folderText());
    ASSERT_TRUE(changes);

    m_dir.write(L"BackPdf\\新しい.pdf", "x");
    AddAttributes(folder() / L"a.pdf", FILE_ATTRIBUTE_READONLY);
    std::filesystem::rename(m_dir.path() / L"elsewhere.pdf", folder() / L"in.pdf");
    std::filesystem::remove(folder() / L"b.pdf");
    bool lost = false;
    EXPECT_TRUE(told(*changes, {"新しい.pdf", "a.pdf", "in.pdf", "b.pdf"}, lost));
    EXPECT_FALSE(lost);
}

// (A folder removed while watched stays under Wine until the watch lets go
// of it, so only its replacement is seen here.)
TEST_F(Win32FolderChangesTest, AFolderReplacedEndsTheWatch)
{
    std::filesystem::create_directories(folder());
    auto changes = m_files.watchFolder(folderText());
    ASSERT_TRUE(changes);
    std::filesystem::rename(folder(), m_dir.path() / L"old");
    std::filesystem::create_directories(folder());
    EXPECT_TRUE(changes->take().lost);
    EXPECT_FALSE(m_files.watchFolder(m_dir.slash() + "missing\\"));
}

TEST_F(Win32FolderChangesTest, ThePurgeJudgesNewAndChangedBackupsWithoutAWalk)
{
    m_dir.write(L"BackPdf\\kept.pdf", "x");
    fake::WatchFakes fakes(m_files, Win32Clock().now() + std::chrono::days{1});
    WatchServices& services = fakes.services;
    FileCheckInfo info;
    info.FileDelDate = "2";
    BackupPurge purge;
    EXPECT_TRUE(purge.run(m_dir.slash(), info, services).empty());

    // New to the folder, a day old: due with a retention of 0 days.
    m_dir.write(L"BackPdf\\new.pdf", "x");
    m_dir.write(L"BackPdf\\locked.pdf", "x");
    AddAttributes(folder() / L"locked.pdf", FILE_ATTRIBUTE_READONLY);
    m_dir.write(L"BackPdf\\hidden.pdf", "x");
    AddAttributes(folder() / L"hidden.pdf", FILE_ATTRIBUTE_HIDDEN);
    info.FileDelDate = "0";
    purge.run(m_dir.slash(), info, services); // a new retention: one walk
    EXPECT_FALSE(std::filesystem::exists(folder() / L"new.pdf"));
    const int walks = purge.walks();

    m_dir.write(L"BackPdf\\later.pdf", "x");
    std::vector<std::string> deleted;
    EXPECT_TRUE(WaitFor(5s, [&] {
        for (const std::string& name : purge.run(m_dir.slash(), info, services)) {
            deleted.push_back(name);
        }
        return !deleted.empty();
    }));
    EXPECT_EQ(deleted, std::vector<std::string>{"later.pdf"});
    EXPECT_TRUE(std::filesystem::exists(folder() / L"locked.pdf"));
    EXPECT_TRUE(std::filesystem::exists(folder() / L"hidden.pdf"));
    EXPECT_EQ(purge.walks(), walks);
}

} // namespace
} // namespace kumoden
