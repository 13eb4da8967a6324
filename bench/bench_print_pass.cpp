// What the print pass costs per file beyond its fixed waits: the waits are
// faked, the files, the printer list (the real scheduler) and the launch of
// a reader are real.
#include "bench/bench_folder.h"
#include "platform/linux/cups/cups_printer_list.h"
#include "platform/linux/posix/posix_file_system.h"
#include "platform/linux/posix/posix_launcher.h"
#include "platform/linux/posix/system_clock.h"
#include "tests/support/quiet_observer.h"
#include "tests/support/watch_fakes.h"
#include "watch/print_pass.h"
#include "watch/watch_cycle.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace kumoden::bench {
namespace {

void BM_PrintPassPerFile(benchmark::State& state)
{
    BenchFolder folder("pass");
    PosixFileSystem files;
    SystemClock clock;
    fake::WatchFakes fakes{files, clock};
    PosixLauncher launcher;
    CupsPrinterList printers;
    WatchServices services{files, fakes.sleeper, clock, launcher, printers, fakes.messages};
    FileCheckInfo info;
    info.FileChkDir = folder.path().string();
    info.AcrExeDir = "/bin/true";
    info.PrinterNm = "PDF";
    const std::string watched = folder.path().string() + "/";
    const std::string pdf(100 * 1024, 'p');

    fake::Quiet quiet;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string file = watched + "job.pdf";
        const int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(write(fd, pdf.data(), pdf.size()));
        close(fd);
        state.ResumeTiming();

        PrintPdfFiles(watched, info, services, quiet);
    }
    if (fakes.sleeper.waits().size() != 3 * static_cast<std::size_t>(state.iterations())) {
        state.SkipWithError("the file was not printed");
    }
}

BENCHMARK(BM_PrintPassPerFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kumoden::bench

BENCHMARK_MAIN();
