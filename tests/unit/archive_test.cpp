// The archive's promise at every point where the program may end: each
// step that changes a file is a point, and every point is tried, then what
// the next program makes of it.
#include "tests/support/memory_file_system.h"
#include "tests/support/quiet_observer.h"
#include "tests/support/watch_fakes.h"
#include "watch/watch_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace kumoden::test {
namespace {

constexpr char kDocument[] = "%PDF-1.4 the document that must come out once, whole";
constexpr char kOlder[] = "%PDF-1.4 an older backup of the same name";
const std::string kIncoming = "/w/job-a.pdf";
const std::string kBackup = "/w/BackPdf/job-a.pdf";

struct Scenario {
    const char* what;
    bool archiveElsewhere;    // BackPdf on another file system
    bool olderBackup;         // a read-only backup of the name waits to be replaced
    bool readerStarts;        // in the program that ends
    bool purgeAtOnce = false; // a retention of 0 days: the purge runs beside every step
};

// One world of files that outlives the programs run on it.
class World {
public:
    explicit World(const Scenario& scenario) : m_retention(scenario.purgeAtOnce ? "0" : "")
    {
        m_files.addFolder("/w");
        if (scenario.archiveElsewhere || scenario.olderBackup) {
            m_files.addFolder("/w/BackPdf");
        }
        if (scenario.archiveElsewhere) {
            m_files.addVolume("/w/BackPdf", 1 << 20);
        }
        if (scenario.olderBackup) {
            m_files.addFile(kBackup, kOlder, true);
        }
        m_files.addFile(kIncoming, kDocument);
    }

    // A program that runs ticks until it ends, or the world ends it at the
    // step chosen. True when it ended there.
    bool program(int ticks, bool readerStarts, std::optional<int> endAt)
    {
        fake::WatchFakes fakes(m_files);
        fakes.launcher.setFail(!readerStarts);
        fakes.launcher.onLaunch([&](const LaunchRequest& request) {
            m_launchStep = m_files.steps() + 1;
            m_files.step();
            if (readerStarts) {
                m_printed.push_back(m_files.content(request.arguments.at(5)).value_or("(nothing)"));
            }
        });
        FileCheckInfo info{1000, "/w", "job", "/usr/bin/reader", "PDF", m_retention};
        BackupPurge purge(false);
        WatchMemory memory;
        fake::Quiet observer;
        m_files.crashAt(endAt);
        m_launchStep = 0;
        try {
            for (int tick = 0; tick < ticks; ++tick) {
                RunWatchCycle(info, fakes.services, observer, purge, memory);
            }
        } catch (const Crash&) {
            // A reader that did not start is known at once; its file goes
            // back at the next step.
            m_endedAtLaunch =
                m_launchStep != 0 && (endAt == m_launchStep || (!readerStarts && endAt == m_launchStep + 1));
            return true;
        }
        return false;
    }

    int documentsPrinted() const
    {
        return static_cast<int>(std::count(m_printed.begin(), m_printed.end(), kDocument));
    }
    bool endedAtLaunch() const { return m_endedAtLaunch; }

    // Where the document is whole, among the files a user sees; and any
    // part of it or program's file left about.
    void expectDocumentOnceAndNothingLeft(const std::string& trace) const
    {
        std::vector<std::string> whole;
        for (const auto& [path, content] : m_files.allFiles()) {
            if (path == "/w/BackPdf/.kumoden/lock") {
                continue;
            }
            EXPECT_EQ(path.find("/."), std::string::npos) << trace << ": left " << path;
            if (content == kDocument) {
                whole.push_back(path);
            } else {
                EXPECT_TRUE(content == kOlder) << trace << ": a part of it at " << path;
            }
        }
        // Printed, a document may be purged at once by a program that does
        // not follow its reader; never before.
        const bool mayBeGone = !m_retention.empty() && documentsPrinted() > 0;
        EXPECT_EQ(whole.size(), mayBeGone && whole.empty() ? 0u : 1u)
            << trace << ": the document in " << ::testing::PrintToString(whole);
        for (const std::string& printed : m_printed) {
            EXPECT_EQ(printed, kDocument) << trace << ": a launch printed something else";
        }
    }

private:
    std::string m_retention;
    MemoryFileSystem m_files;
    std::vector<std::string> m_printed;
    int m_launchStep = 0;
    bool m_endedAtLaunch = false;
};

struct Tried {
    int points = 0; // steps of the first program
    int ends = 0;   // pairs of ends tried
};

// Ends the first program at every step it makes, then the next one at
// every step of its own, and lets a third run on.
Tried tryEveryEnd(const Scenario& scenario)
{
    Tried tried;
    for (int first = 1;; ++first) {
        World probe(scenario);
        if (!probe.program(1, scenario.readerStarts, first)) {
            break;
        }
        ++tried.points;
        for (int second = 1;; ++second) {
            World world(scenario);
            world.program(1, scenario.readerStarts, first);
            const bool firstAtLaunch = world.endedAtLaunch();
            const int printedBefore = world.documentsPrinted();
            const bool secondEnded = world.program(3, true, second);
            const bool secondAtLaunch = secondEnded && world.endedAtLaunch();
            world.program(3, true, std::nullopt);
            const std::string trace = std::string(scenario.what) + ", ended at step " +
                                      std::to_string(first) +
                                      (secondEnded ? " and then " + std::to_string(second) : "");
            ++tried.ends;
            EXPECT_LE(printedBefore, 1) << trace;
            world.expectDocumentOnceAndNothingLeft(trace);
            // Ended between the record's removal and the launch (or a
            // launch that failed and the record of the give-back), the
            // document stays archived and unprinted: never printed twice.
            const int expected = firstAtLaunch || secondAtLaunch ? 0 : 1;
            EXPECT_EQ(world.documentsPrinted(), expected) << trace;
            if (!secondEnded) {
                break;
            }
        }
    }
    return tried;
}

TEST(ArchiveAtEveryEnd, EachDocumentIsWholeInOnePlaceAndPrintedOnce)
{
    const Scenario scenarios[] = {
        {"a take within one file system", false, false, true},
        {"a take replacing a read-only backup", false, true, true},
        {"a take to another file system", true, true, true},
        {"a give-back within one file system", false, false, false},
        {"a give-back from another file system", true, false, false},
        {"a take to another file system, purged at once", true, true, true, true},
        {"a give-back within one file system, purged at once", false, true, false, true},
    };
    Tried total;
    for (const Scenario& scenario : scenarios) {
        const Tried tried = tryEveryEnd(scenario);
        EXPECT_GT(tried.points, 4) << scenario.what;
        std::cout << scenario.what << ": " << tried.points << " points, " << tried.ends << " ends tried\n";
        total.points += tried.points;
        total.ends += tried.ends;
    }
    std::cout << "in all: " << total.points << " points, " << total.ends << " ends tried\n";
}

// Another program at work on the archive holds its lock: nothing of its
// is touched, and the file waits its turn.
TEST(ArchiveLock, AFileWaitsWhileAnotherProgramHoldsTheArchive)
{
    MemoryFileSystem files;
    files.addFolder("/w");
    files.addFolder("/w/BackPdf");
    files.addFolder("/w/BackPdf/.kumoden");
    files.addFile("/w/BackPdf/.kumoden/take", "job-b.pdf");
    files.addFile("/w/BackPdf/.kumoden/file", "its file on the way");
    files.addFile(kIncoming, kDocument);
    fake::WatchFakes fakes(files);
    fake::Quiet observer;
    const FileCheckInfo info{1000, "/w", "job", "/usr/bin/reader", "PDF", ""};
    FileStep step;
    auto other = files.lockFile("/w/BackPdf/.kumoden/lock", step);
    ASSERT_TRUE(other);
    const WatchCycleResult busy = RunWatchCycle(info, fakes.services, observer);
    ASSERT_EQ(busy.files.size(), 1u);
    EXPECT_EQ(busy.files[0].outcome, FileOutcome::ArchiveBusy);
    EXPECT_EQ(files.content(kIncoming), kDocument);
    EXPECT_EQ(files.content("/w/BackPdf/.kumoden/file"), "its file on the way");

    // The other program ended there: its take is finished first, then ours.
    other.reset();
    RunWatchCycle(info, fakes.services, observer);
    EXPECT_EQ(files.content("/w/BackPdf/job-b.pdf"), "its file on the way");
    EXPECT_EQ(files.content(kBackup), kDocument);
    EXPECT_EQ(fakes.launcher.requests().size(), 2u);
}

// The record is the program's own word: what it names is looked at only as
// a file of the archive, and a launch waits until the record is gone.
TEST(ArchiveRecord, NamesOnlyAFileOfTheArchiveAndGoesBeforeItsLaunch)
{
    MemoryFileSystem files;
    files.addFolder("/w");
    files.addFolder("/w/BackPdf");
    files.addFolder("/w/BackPdf/.kumoden");
    files.addFolder("/outside");
    files.addFile("/outside/secret.pdf", "secret");
    files.addFile("/w/BackPdf/.kumoden/ready", "../../outside/secret.pdf");
    fake::WatchFakes fakes(files);
    fake::Quiet observer;
    FileCheckInfo info{1000, "/w", "job", "/usr/bin/reader", "PDF", ""};
    BackupPurge purge(false);
    WatchMemory memory;
    const WatchCycleResult tampered = RunWatchCycle(info, fakes.services, observer, purge, memory);
    ASSERT_EQ(tampered.leftovers.size(), 1u);
    EXPECT_EQ(tampered.leftovers[0].first, "/w/BackPdf/.kumoden/ready");
    EXPECT_FALSE(files.fileExists("/w/BackPdf/.kumoden/ready"));

    // One removal of the record fails: no launch at that tick.
    files.addFile(kIncoming, kDocument);
    files.failNext("delete", "/w/BackPdf/.kumoden/ready", FileStep::failed);
    const WatchCycleResult first = RunWatchCycle(info, fakes.services, observer, purge, memory);
    ASSERT_EQ(first.files.size(), 1u);
    EXPECT_EQ(first.files[0].outcome, FileOutcome::LaunchHeld);
    EXPECT_TRUE(fakes.launcher.requests().empty());

    // The next tick launches it, once.
    const WatchCycleResult second = RunWatchCycle(info, fakes.services, observer, purge, memory);
    ASSERT_EQ(second.files.size(), 1u);
    EXPECT_EQ(second.files[0].outcome, FileOutcome::Printed);
    RunWatchCycle(info, fakes.services, observer, purge, memory);
    ASSERT_EQ(fakes.launcher.requests().size(), 1u);
    EXPECT_EQ(fakes.launcher.requests()[0].arguments.at(5), kBackup);
    EXPECT_EQ(files.content("/outside/secret.pdf"), "secret");
    EXPECT_EQ(files.content(kBackup), kDocument);
}

} // namespace
} // namespace kumoden::test
