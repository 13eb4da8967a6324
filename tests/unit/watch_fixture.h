#pragma once

#include "model/settings.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/support/watch_fakes.h"
#include "watch/watch_cycle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

namespace kumoden::test {

using std::chrono::milliseconds;
using Waits = std::vector<milliseconds>;

// Writes down each event of a tick, with the time of the clock then.
class EventTrail final : public CycleObserver {
public:
    explicit EventTrail(const Clock& clock) : m_clock(clock) {}

    struct Event {
        std::string what;
        LocalTime at;
        bool operator==(const Event&) const = default;
    };

    void archived(const std::string& name) override { add("archived " + name); }
    void finished(const FileResult& file) override { add("finished " + file.name); }
    void purged(const std::string&, const std::string& name) override { add("purged " + name); }
    void queryFailed(const std::string& cause, const FolderQueryError& error) override
    {
        add("failed " + cause + ": " + error.what());
    }
    void queryWorked(const std::string&) override {}
    void leftovers(const std::vector<std::pair<std::string, std::string>>& stuck) override
    {
        for (const auto& entry : stuck) {
            add("leftover " + entry.first);
        }
    }
    void leftoverReturned(const std::string& name) override { add("returned " + name); }

    std::vector<Event> events;

private:
    void add(std::string what) { events.push_back({std::move(what), m_clock.now()}); }
    const Clock& m_clock;
};

// Real files in a temporary folder, through a fake that fails on demand.
struct WatchFiles {
    TempDir dir;
    std::unique_ptr<FileSystem> real = MakeFileSystem();
    fake::FakeFileSystem files{*real};
};

// Real files in a temporary watched folder; fake time, launches, printers
// and message boxes.
class WatchFixture : public ::testing::Test, protected WatchFiles, protected fake::WatchFakes {
protected:
    WatchFixture();

    std::string sep() const { return std::string(1, files.separator()); }
    // The watched folder as the watch spells it: with the platform's separator at its end.
    std::string watched() const { return dir.path().string() + sep(); }
    // A file of the archive folder as the watch spells it.
    std::string backupText(const std::string& name) const { return watched() + "BackPdf" + sep() + name; }
    std::vector<std::string> backupTexts(const std::vector<std::string>& names) const;
    std::filesystem::path inFolder(const std::string& name) const { return dir.path() / name; }
    std::filesystem::path inBackup(const std::string& name) const { return dir.path() / "BackPdf" / name; }
    bool inWatched(const std::string& name) const { return std::filesystem::exists(inFolder(name)); }
    bool kept(const std::string& name) const { return std::filesystem::exists(inBackup(name)); }
    std::filesystem::path drop(const std::string& name, const std::string& content = "%PDF-1.4 test");
    void drop(std::initializer_list<const char*> names);
    // A backup created at the given moment.
    void backup(const std::string& name, LocalTime created);
    // The backup file each launch was asked to print.
    std::vector<std::string> printedFiles() const;

    FileCheckInfo info;
    EventTrail trail{clock};
};

} // namespace kumoden::test
