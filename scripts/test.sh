#!/usr/bin/env bash
# The whole test suite on a fresh Debian 12 machine: installs what is
# needed, builds (plain and with AddressSanitizer + UndefinedBehaviorSanitizer),
# checks the formatting, runs every test of both builds, builds and checks
# the Debian package, fuzzes the INI store briefly, runs the Windows leg
# under Wine and the benchmarks briefly.
# Each test run starts (and stops) print schedulers of its own in its build
# folder (one of them keeps no job history), and each test that needs X
# starts its own X server: the machine's scheduler, its printers and the
# caller's display are left alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/deps.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUMODEN_TESTS=ON -DKUMODEN_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKUMODEN_SANITIZE=ON -DKUMODEN_TESTS=ON -DKUMODEN_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"

echo "== formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "== rooms (every include points the way the layout allows)"
scripts/check-rooms.sh

# Should a run be interrupted, its schedulers do not outlive it.
trap 'for d in {build,build-asan,build-win}/test-cups{,-nohistory}; do [ ! -d $d ] || scripts/test-print-system.sh stop $d; done' EXIT
unset DISPLAY WAYLAND_DISPLAY
# Qt wants a private runtime folder; give the tests one of their own.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/kumoden-runtime.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"

# The tests labelled "wine" need the Windows build: the Windows leg runs them.
echo "== tests"
ctest --test-dir build -j 4 -LE wine --output-on-failure
echo "== tests with AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
  ctest --test-dir build-asan -j 4 -LE wine --output-on-failure

echo "== the Debian package (lintian, desktop entries, AppStream, the unpacked program)"
scripts/package.sh build

echo "== fuzzing the INI reader and writer (short run; long one: scripts/fuzz.sh -runs=1000000)"
scripts/fuzz.sh 45

echo "== Windows build and tests under Wine"
scripts/test-windows.sh

echo "== benchmarks (short run; full figures: build/bench/bench_watch, bench_purge, bench_print_pass, bench_hard_copy)"
# They list printers and print too: on a scheduler of their own, as the tests do.
scripts/test-print-system.sh start build/test-cups
mapfile -t bench_env < <(scripts/test-print-system.sh env build/test-cups)
for bench in bench_watch bench_purge bench_print_pass bench_hard_copy; do
  env -u LPDEST -u PRINTER "${bench_env[@]}" "build/bench/$bench" --benchmark_min_time=0.05
done
scripts/test-print-system.sh stop build/test-cups
# The idle program over an archive of 100,000 backups, at 200 ms ticks.
bench/idle_cpu.sh build/kumoden 100000 20
