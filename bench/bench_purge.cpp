// The purge tick over an archive of 100,000 backups that remembers them from
// tick to tick: with nothing changed, and after 1,000 changed or fell due,
// each next to the bare readdir + statx walk that a purge without memory
// makes on every tick.
#include "bench/bench_folder.h"
#include "platform/linux/posix/posix_file_system.h"
#include "tests/support/watch_fakes.h"
#include "watch/backup_purge.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace kumoden::bench {
namespace {

constexpr int kBackups = 100000;
constexpr int kChanged = 1000;

const BenchFolder& archive()
{
    static BenchFolder folder("purge100k");
    static bool filled = false;
    if (!filled) {
        folder.fill("BackPdf", kBackups, "job_", ".pdf");
        filled = true;
    }
    return folder;
}

std::string watchedPath()
{
    return archive().path().string() + "/";
}

std::string backup(int i)
{
    return watchedPath() + "BackPdf/job_" + std::to_string(i) + ".pdf";
}

FileCheckInfo retentionOfAWeek()
{
    FileCheckInfo info;
    info.FileDelDate = "7";
    return info;
}

struct Services {
    PosixFileSystem files;
    fake::WatchFakes fakes{files};
    fake::FakeClock& clock = fakes.clock;
    WatchServices& watch = fakes.services;
    FileCheckInfo info = retentionOfAWeek();
    BackupPurge purge;

    // The first tick, with the clock at now: the one walk of the archive.
    void startAt(LocalTime now)
    {
        clock.set(now);
        purge.run(watchedPath(), info, watch);
    }
    std::vector<std::string> tick() { return purge.run(watchedPath(), info, watch); }
};

// The retention keeps everything: the clock stands a day after the fill.
void BM_PurgeTickNothingChanged(benchmark::State& state)
{
    Services services;
    services.startAt(*services.files.dateCreated(backup(0)) + std::chrono::days{1});
    for (auto _ : state) {
        benchmark::DoNotOptimize(services.tick());
    }
    // The check walk now and then is part of the cost.
    state.counters["walks"] = services.purge.walks();
}

void BM_PurgeTickAfterChanges(benchmark::State& state)
{
    Services services;
    services.startAt(*services.files.dateCreated(backup(0)) + std::chrono::days{1});
    int next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < kChanged; ++i, next = (next + 1) % kBackups) {
            utimensat(AT_FDCWD, backup(next).c_str(), nullptr, 0);
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(services.tick());
    }
    if (services.purge.walks() != 1) {
        state.SkipWithError("the archive was walked again");
    }
}

// Each tick the clock passes the deadlines of the next 1,000 backups; those
// deleted come back (as the newest) while the clock stands still.
void BM_PurgeTickAfterFallingDue(benchmark::State& state)
{
    Services services;
    std::vector<LocalTime> created;
    for (int i = 0; i < kBackups; ++i) {
        created.push_back(*services.files.dateCreated(backup(i)));
    }
    std::sort(created.begin(), created.end());
    services.startAt(created.front());
    std::size_t due = 0;
    std::size_t deleted = 0;
    for (auto _ : state) {
        due = std::min(due + kChanged, created.size() - 1);
        services.clock.set(created[due - 1] + std::chrono::days{7} + std::chrono::nanoseconds{1});
        const auto names = services.tick();
        state.PauseTiming();
        deleted += names.size();
        for (const std::string& name : names) {
            const std::string path = watchedPath() + "BackPdf/" + name;
            close(open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        }
        state.ResumeTiming();
    }
    state.counters["deleted per tick"] =
        static_cast<double>(deleted) / static_cast<double>(state.iterations());
    if (services.purge.walks() != 1) {
        state.SkipWithError("the archive was walked again");
    }
}

void BM_BareReaddirStatx100k(benchmark::State& state)
{
    const auto backups = archive().path() / "BackPdf";
    for (auto _ : state) {
        benchmark::DoNotOptimize(BareReaddirStatx(backups));
    }
}

BENCHMARK(BM_BareReaddirStatx100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PurgeTickNothingChanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PurgeTickAfterChanges)->Unit(benchmark::kMillisecond);
// Bounded: each tick uses up 1,000 of the original backups.
BENCHMARK(BM_PurgeTickAfterFallingDue)->Unit(benchmark::kMillisecond)->Iterations(60);

} // namespace
} // namespace kumoden::bench

BENCHMARK_MAIN();
