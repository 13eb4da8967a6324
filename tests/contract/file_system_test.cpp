// Rules every file-system backend keeps, on the real files of the
// platform the tests were built for.
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <thread>
#include <tuple>
#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<std::string> sorted(const std::vector<DatedFile>& files)
{
    std::vector<std::string> names;
    std::ranges::transform(files, std::back_inserter(names), &DatedFile::name);
    std::ranges::sort(names);
    return names;
}

// Everything in a folder, hidden files too, in name order.
std::vector<std::string> entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(utf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Everything in a folder, hidden files too, with its content.
std::map<std::string, std::string> contents(const fs::path& folder)
{
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found[utf8(entry.path().filename())] = entry.is_regular_file() ? readFile(entry.path()) : "(folder)";
    }
    return found;
}

// One name longer than a folder entry takes (bytes on Linux, UTF-16 units on Windows).
const std::string kTooLong(256, 'n');

class FileSystemContract : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return dir.slash() + name; }

    TempDir dir;
    std::unique_ptr<FileSystem> files = MakeFileSystem();
};

TEST_F(FileSystemContract, QueriesSeeOnlyOrdinaryVisibleFilesWhoseWholeNameMatches)
{
    dir.write("abc.pdf", "a");
    dir.write("ABC1.PDF", "b");
    dir.write("xabc.pdf", "not this start");
    dir.write("abc2.pdfx", "not this end, whatever its short alias on Windows");
    dir.write("README", "x");
    dir.write(fs::u8path("請求書 第1号.pdf"), "x");
    fs::create_directory(dir.path() / "abc3.pdf");
    MakeHidden(dir.write(".abc4.pdf", "hidden"));

    const std::string missing = "missing" + std::string(1, files->separator());
    for (const auto& [pattern, expected] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"*.pdf", {"ABC1.PDF", "abc.pdf", "xabc.pdf", "請求書 第1号.pdf"}},
             // *.* also lists names without an extension.
             {"*.*", {"ABC1.PDF", "README", "abc.pdf", "abc2.pdfx", "xabc.pdf", "請求書 第1号.pdf"}},
             {"請求書*.PDF", {"請求書 第1号.pdf"}},
             {"abc*.pdf", {"ABC1.PDF", "abc.pdf"}},
             {"b*.pdf", {}},
             {missing + "*.pdf", {}},
             {missing + "*.*", {}}}) {
        EXPECT_EQ(files->listFiles(at(pattern)), expected) << pattern;
        EXPECT_EQ(sorted(files->listDatedFiles(at(pattern))), expected) << pattern;
        // The first found is one of those, none where there are none.
        const auto first = files->firstFile(at(pattern));
        EXPECT_EQ(first ? std::count(expected.begin(), expected.end(), *first) : expected.empty(), 1)
            << pattern;
    }
    EXPECT_FALSE(files->firstFile("").has_value());
}

TEST_F(FileSystemContract, FilesAndFoldersAreToldApartAndLengthsAreSixtyFourBitAndOnlyOfFiles)
{
    const auto big = dir.write(fs::u8path("大きい.pdf"), "");
    fs::resize_file(big, 5'000'000'003ull); // sparse where it can be
    EXPECT_EQ(files->fileLength(utf8(big)), 5'000'000'003ll);
    EXPECT_EQ(files->fileLength(utf8(dir.write("small", "12345"))), 5);
    EXPECT_FALSE(files->fileLength(at("missing.pdf")).has_value());
    EXPECT_FALSE(files->fileLength(utf8(dir.path())).has_value());

    const std::string folder = at("BackPdf");
    EXPECT_FALSE(files->folderExists(folder));
    EXPECT_TRUE(files->createFolder(folder));
    EXPECT_FALSE(files->createFolder(folder));
    EXPECT_TRUE(files->folderExists(folder));
    EXPECT_FALSE(files->fileExists(folder));

    const std::string file = utf8(dir.write(fs::u8path("文書.pdf"), "x"));
    EXPECT_TRUE(files->fileExists(file));
    EXPECT_FALSE(files->folderExists(file));
    EXPECT_FALSE(files->fileExists(""));
    EXPECT_FALSE(files->folderExists(""));
}

// Both only look: nothing is made, and a folder or a file is taken only
// for what it is.
TEST_F(FileSystemContract, WhetherAFolderTakesEntriesAndAFileRunsIsToldWithoutMakingAnything)
{
    const std::string folder = at("in");
    fs::create_directory(folder);
    const std::string data = utf8(dir.write("notes.txt", "x"));
    const auto before = entries(dir.path());
    EXPECT_TRUE(files->canWriteInto(folder));
    EXPECT_TRUE(files->canWriteInto(folder + files->separator()));
    EXPECT_FALSE(files->canWriteInto(at("missing")));
    EXPECT_FALSE(files->canWriteInto(data));

    // The tests' own programs run; a data file, a folder, nothing do not.
    EXPECT_TRUE(files->canRun(utf8(builtProgram("kumoden"))));
    EXPECT_FALSE(files->canRun(data));
    EXPECT_FALSE(files->canRun(folder));
    EXPECT_FALSE(files->canRun(at("missing.exe")));
    EXPECT_EQ(entries(dir.path()), before);
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(FileSystemContract, DeletesHonourReadOnlyUnlessForcedAndNeverTakeAFolder)
{
    const auto locked = dir.write(fs::u8path("読み取り専用.pdf"), "x");
    MakeReadOnly(locked);
    EXPECT_FALSE(files->deleteFile(utf8(locked), false));
    EXPECT_TRUE(fs::exists(locked));
    EXPECT_TRUE(files->deleteFile(utf8(locked), true));
    EXPECT_FALSE(fs::exists(locked));

    const auto plain = dir.write("plain.pdf", "x");
    EXPECT_TRUE(files->deleteFile(utf8(plain), false));
    EXPECT_FALSE(files->deleteFile(utf8(plain), true));
    fs::create_directory(dir.path() / "sub");
    EXPECT_FALSE(files->deleteFile(at("sub"), true));
    EXPECT_TRUE(files->folderExists(at("sub")));
}

TEST_F(FileSystemContract, CreationTimeIsNowOnTheLocalClockForOneFileAsForAList)
{
    const auto clock = MakeClock();
    const LocalTime before = clock->now();
    const auto path = dir.write(fs::u8path("新しい.pdf"), "x");
    const auto created = files->dateCreated(utf8(path));
    const LocalTime after = clock->now();
    ASSERT_TRUE(created.has_value());
    // Some file systems stamp with a coarse clock tick.
    EXPECT_GE(*created, before - 20ms);
    EXPECT_LE(*created, after);

    const auto listed = files->listDatedFiles(at("*.pdf"));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].created, created);
    EXPECT_FALSE(files->dateCreated(at("missing")).has_value());
}

TEST_F(FileSystemContract, RenamesNeverReplaceAndMoveNothingWhenRefused)
{
    const TempDir other(OtherVolume());
    dir.write("a.pdf", "a");
    dir.write("b.pdf", "b");
    fs::create_directories(dir.path() / "folder" / "sub");
    const auto before = contents(dir.path());
    for (const auto& [from, to, kind] : std::vector<std::tuple<std::string, std::string, FileStep::Kind>>{
             {at("a.pdf"), at("b.pdf"), FileStep::exists},
             {at("a.pdf"), at("folder"), FileStep::exists},
             {at("missing.pdf"), at("c.pdf"), FileStep::missing},
             {at("a.pdf"), at("no-folder") + files->separator() + "a.pdf", FileStep::missing},
             {at("a.pdf"), other.slash() + "a.pdf", FileStep::otherVolume},
             {at("a.pdf"), at(kTooLong), FileStep::nameTooLong}}) {
        const FileStep step = files->renameNew(from, to);
        EXPECT_EQ(step.kind, kind) << from << " -> " << to << ": " << step.reason;
        EXPECT_FALSE(step.reason.empty());
    }
    EXPECT_EQ(contents(dir.path()), before);
    EXPECT_TRUE(fs::is_empty(other.path()));

    // The longest name fits. Hidden goes with the name: a file made under
    // a dot-name is listed once renamed to a plain one, and not once renamed
    // to a dot-name again.
    const std::string longest(255, 'n');
    EXPECT_TRUE(files->renameNew(at("a.pdf"), at(longest)));
    EXPECT_TRUE(files->writeNew(at(".c.part"), "c"));
    EXPECT_TRUE(files->renameNew(at(".c.part"), at("c.pdf")));
    EXPECT_TRUE(files->renameNew(at(longest), at(".a.pdf")));
    EXPECT_EQ(files->listFiles(at("*.*")), (std::vector<std::string>{"b.pdf", "c.pdf"}));
    EXPECT_FALSE(files->datedFile(dir.slash(), ".a.pdf"));
    EXPECT_TRUE(files->renameNew(at(".a.pdf"), at("移動先.pdf")));
    EXPECT_EQ(files->listFiles(at("*.*")), (std::vector<std::string>{"b.pdf", "c.pdf", "移動先.pdf"}));
    EXPECT_EQ(readFile(fs::u8path(at("移動先.pdf"))), "a");
}

TEST_F(FileSystemContract, CopiesAreNewFilesWithTheDataAndLastWriteOfTheirSource)
{
    const TempDir other(OtherVolume());
    const std::string data(3'000'000, 'd'); // more than one buffer
    const auto source = dir.write("a.pdf", data);
    fs::last_write_time(source, fs::last_write_time(source) - std::chrono::hours(48));
    // A hidden copy beside it, and one on another volume.
    for (const std::string& to : {at(".a.part"), other.slash() + "a.pdf"}) {
        const FileStep step = files->copyNew(utf8(source), to);
        EXPECT_TRUE(step) << to << ": " << step.reason;
        EXPECT_EQ(readFile(to), data) << to;
        EXPECT_EQ(fs::last_write_time(to), fs::last_write_time(source)) << to;
    }
    EXPECT_EQ(files->listFiles(at("*.*")), std::vector<std::string>{"a.pdf"});

    dir.write("old.pdf", "old");
    const auto before = contents(dir.path());
    const std::string sep(1, files->separator());
    for (const auto& [from, to, kind] : std::vector<std::tuple<std::string, std::string, FileStep::Kind>>{
             {utf8(source), at("old.pdf"), FileStep::exists},
             {utf8(source), at(kTooLong), FileStep::nameTooLong},
             {utf8(source), at("no-folder") + sep + "a.pdf", FileStep::missing},
             {at("missing.pdf"), at("new.pdf"), FileStep::missing}}) {
        const FileStep step = files->copyNew(from, to);
        EXPECT_EQ(step.kind, kind) << from << " -> " << to << ": " << step.reason;
    }
    EXPECT_EQ(contents(dir.path()), before);
}

TEST_F(FileSystemContract, NewFilesAreWrittenWholeAndNeverOverAnother)
{
    EXPECT_TRUE(files->writeNew(at(".record"), "記録 1\n"));
    EXPECT_EQ(files->readSmallFile(at(".record")), "記録 1\n");
    EXPECT_EQ(files->writeNew(at(".record"), "other").kind, FileStep::exists);
    EXPECT_EQ(files->readSmallFile(at(".record")), "記録 1\n");
    EXPECT_EQ(files->writeNew(at("no-folder") + files->separator() + "x", "x").kind, FileStep::missing);
    EXPECT_TRUE(files->listFiles(at("*")).empty());
    EXPECT_GT(files->freeSpace(dir.slash()).value_or(0), 0);
}

TEST_F(FileSystemContract, AHeldFileIsTheOneExpectedKeptFromWritersAndStillMovable)
{
    dir.write("a.pdf", "a");
    dir.write("b.pdf", "b");
    const FileIdentity a = files->fileIdentity(at("a.pdf")).value();
    FileStep step;
    std::vector<std::pair<std::string, FileStep::Kind>> refused{{at("b.pdf"), FileStep::otherFile},
                                                                {at("missing.pdf"), FileStep::missing}};
#ifndef _WIN32
    fs::create_symlink(at("a.pdf"), at("link.pdf"));
    refused.emplace_back(at("link.pdf"), FileStep::otherFile);
#endif
    for (const auto& [path, kind] : refused) {
        EXPECT_FALSE(files->holdFile(path, a, step)) << path;
        EXPECT_EQ(step.kind, kind) << path << ": " << step.reason;
    }
    fs::remove(at("link.pdf"));
    {
        std::ofstream writer(at("a.pdf"), std::ios::binary | std::ios::app);
        ASSERT_TRUE(writer);
        EXPECT_FALSE(files->holdFile(at("a.pdf"), a, step));
        EXPECT_EQ(step.kind, FileStep::inUse) << step.reason;
    }
    auto held = files->holdFile(at("a.pdf"), a, step);
    ASSERT_TRUE(held) << step.reason;
    // A writer is refused now (here: one that will not wait for the hold).
#ifdef _WIN32
    EXPECT_FALSE(std::ofstream(at("a.pdf"), std::ios::binary | std::ios::app));
#else
    const int writer = open(at("a.pdf").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const int error = errno;
    EXPECT_EQ(writer, -1);
    EXPECT_EQ(error, EWOULDBLOCK) << std::strerror(error);
    if (writer >= 0) {
        close(writer);
    }
#endif
    // Still read, renamed and deleted while held.
    EXPECT_TRUE(files->copyNew(at("a.pdf"), at("copy.pdf")));
    EXPECT_TRUE(files->renameNew(at("a.pdf"), at(".held.pdf")));
    EXPECT_EQ(files->fileIdentity(at(".held.pdf")), a);
    EXPECT_TRUE(files->deleteFile(at(".held.pdf"), false));
    held.reset();
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"b.pdf", "copy.pdf"}));
}

TEST_F(FileSystemContract, ALockHasOneHolderAtATime)
{
    const std::string path = at(".lock");
    FileStep step;
    auto first = files->lockFile(path, step);
    ASSERT_TRUE(first) << step.reason;
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(files->lockFile(path, step));
    EXPECT_EQ(step.kind, FileStep::inUse) << step.reason;
    first.reset();
    EXPECT_TRUE(files->lockFile(path, step)) << step.reason;
    EXPECT_TRUE(files->listFiles(at("*")).empty());
    EXPECT_FALSE(files->lockFile(at("no-folder") + files->separator() + "lock", step));
    EXPECT_EQ(step.kind, FileStep::missing) << step.reason;
}

TEST_F(FileSystemContract, StampsTellAWriteOfTheSameLengthAndAChangeOfRights)
{
    const auto path = dir.write("a.pdf", "1234");
    const auto first = files->fileStamp(utf8(path));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->length, 4);
    EXPECT_EQ(files->fileStamp(utf8(path)), first);

    dir.write("a.pdf", "5678");
    fs::last_write_time(path, fs::last_write_time(path) + 2s);
    const auto rewritten = files->fileStamp(utf8(path));
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->length, 4);
    EXPECT_NE(rewritten->written, first->written);

    // Past the tick of the file system's clock.
    std::this_thread::sleep_for(50ms);
    MakeReadOnly(path);
    const auto readOnly = files->fileStamp(utf8(path));
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->written, rewritten->written);
    EXPECT_NE(readOnly->changed, rewritten->changed);

    EXPECT_FALSE(files->fileStamp(at("missing.pdf")));
    EXPECT_FALSE(files->fileStamp(utf8(dir.path())));
}

// A full disk: a file system of 1 MiB that the tests' runner mounts.
TEST_F(FileSystemContract, AStepThatFindsNoRoomLeavesNothingBehind)
{
    const TempDir small(SmallVolume());
    const auto space = files->freeSpace(small.slash());
    ASSERT_TRUE(space);
    EXPECT_GT(*space, 0);
    EXPECT_LE(*space, 1 << 20);
    const std::string big(2 << 20, 'b');
    const FileStep copied = files->copyNew(utf8(dir.write("big.pdf", big)), small.slash() + "big.pdf");
    EXPECT_EQ(copied.kind, FileStep::noRoom) << copied.reason;
    const FileStep written = files->writeNew(small.slash() + ".record", big);
    EXPECT_EQ(written.kind, FileStep::noRoom) << written.reason;
    EXPECT_TRUE(fs::is_empty(small.path()));
}

} // namespace
} // namespace kumoden::test
