// One tick over a large watched folder with nothing to print, and one purge
// over many backups that are not due, each next to the bare system calls
// that any implementation needs.
#include "bench/bench_folder.h"
#include "platform/linux/posix/posix_file_system.h"
#include "platform/linux/posix/system_clock.h"
#include "tests/support/quiet_observer.h"
#include "tests/support/watch_fakes.h"
#include "watch/backup_purge.h"
#include "watch/watch_cycle.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace kumoden::bench {
namespace {

struct Services {
    PosixFileSystem files;
    SystemClock clock;
    fake::WatchFakes fakes{files, clock};
    WatchServices& watch = fakes.services;
    fake::FakeLauncher& launcher = fakes.launcher;
};

const BenchFolder& watchedFolder(int count)
{
    // Names that look like the real thing but do not start with "job".
    static BenchFolder small("tick10k");
    static BenchFolder large("tick100k");
    static bool filled = false;
    if (!filled) {
        small.fill("", 10000, "scan_", ".pdf");
        large.fill("", 100000, "scan_", ".pdf");
        filled = true;
    }
    return count == 10000 ? small : large;
}

void BM_Tick(benchmark::State& state)
{
    const auto& folder = watchedFolder(static_cast<int>(state.range(0)));
    Services services;
    FileCheckInfo info;
    info.FileChkDir = folder.path().string();
    info.FileSelect = "job";
    fake::Quiet quiet;
    for (auto _ : state) {
        RunWatchCycle(info, services.watch, quiet);
    }
    if (!services.launcher.requests().empty()) {
        state.SkipWithError("something was printed");
    }
}

void BM_BareReaddirWildcard(benchmark::State& state)
{
    const auto& folder = watchedFolder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DIR* dir = opendir(folder.path().c_str());
        int found = 0;
        while (const dirent* entry = readdir(dir)) {
            found += fnmatch("job*.pdf", entry->d_name, FNM_CASEFOLD) == 0;
        }
        closedir(dir);
        benchmark::DoNotOptimize(found);
    }
}

const BenchFolder& backupFolder()
{
    static BenchFolder folder("purge");
    static bool filled = false;
    if (!filled) {
        folder.fill("BackPdf", 10000, "job_", ".pdf");
        filled = true;
    }
    return folder;
}

void BM_Purge(benchmark::State& state)
{
    const auto& folder = backupFolder();
    Services services;
    FileCheckInfo info;
    info.FileDelDate = "7";
    const std::string watched = folder.path().string() + "/";
    for (auto _ : state) {
        DeleteOldBackups(watched, info, services.watch);
    }
    if (services.files.listFiles(watched + "BackPdf/*.*").size() != 10000) {
        state.SkipWithError("a backup was deleted");
    }
}

void BM_BareReaddirStatx(benchmark::State& state)
{
    const auto& folder = backupFolder();
    const auto backups = folder.path() / "BackPdf";
    for (auto _ : state) {
        benchmark::DoNotOptimize(BareReaddirStatx(backups));
    }
}

BENCHMARK(BM_Tick)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareReaddirWildcard)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Purge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareReaddirStatx)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kumoden::bench

BENCHMARK_MAIN();
