#!/usr/bin/env bash
# Builds the profile fuzzer (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; own build folder) and runs it on a copy of
# tests/fuzz/corpus, so the checked-in corpus never changes.
#   scripts/fuzz.sh            60 seconds
#   scripts/fuzz.sh 30         30 seconds
#   scripts/fuzz.sh -runs=N    N executions
# Exits non-zero when the fuzzer finds a fault; the input that shows it is
# kept in $KUMODEN_FUZZ_BUILD/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${KUMODEN_FUZZ_BUILD:-build-fuzz}

budget=(-max_total_time=60)
case "${1:-}" in
  "") ;;
  -runs=*) budget=("$1") ;;
  *[!0-9]*) echo "usage: scripts/fuzz.sh [seconds|-runs=N]" >&2; exit 2 ;;
  *) budget=(-max_total_time="$1") ;;
esac

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKUMODEN_FUZZ=ON -DKUMODEN_TESTS=OFF -DKUMODEN_BENCH=OFF >/dev/null
cmake --build "$build" --target profile_fuzz -j "${KUMODEN_JOBS:-2}"

work=$(mktemp -d "${TMPDIR:-/tmp}/kumoden-fuzz-corpus.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work/"
mkdir -p "$build/findings"

# Values past the 1023-byte cap need inputs of some kilobytes.
# Each new input found is a line of its own; the pulses and totals are kept.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$build/tests/fuzz/profile_fuzz" "${budget[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -dict=tests/fuzz/profile.dict -artifact_prefix="$build/findings/" -print_final_stats=1 "$work" 2>&1 |
  grep --line-buffered -vE '^#[0-9]+[[:space:]]+(NEW|REDUCE) '
