#pragma once

#include "app/settings.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_time.h"
#include "platform/posix/posix_file_system.h"
#include "tests/support/temp_dir.h"
#include "watch/watch_services.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

namespace kumoden::test {

using std::chrono::milliseconds;
using Waits = std::vector<milliseconds>;

// Real files in a temporary watched folder; fake time, launches, printers
// and message boxes.
class WatchFixture : public ::testing::Test {
protected:
    WatchFixture();

    std::string watched() const { return dir.slash(); }
    std::filesystem::path inFolder(const std::string& name) const { return dir.path() / name; }
    std::filesystem::path inBackup(const std::string& name) const { return dir.path() / "BackPdf" / name; }
    std::filesystem::path drop(const std::string& name, const std::string& content = "%PDF-1.4 test");
    // The backup file each launch was asked to print.
    std::vector<std::string> printedFiles() const;

    TempDir dir;
    PosixFileSystem real;
    fake::FakeFileSystem files{real};
    fake::FakeClock clock;
    fake::FakeSleeper sleeper{&clock};
    fake::FakeLauncher launcher;
    fake::FakePrinterList printers;
    fake::FakeMessageDialog messages;
    WatchServices services{files, sleeper, clock, launcher, printers, messages};
    FileCheckInfo info;
};

} // namespace kumoden::test
