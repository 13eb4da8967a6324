#!/usr/bin/env bash
# The Windows leg of the test suite: cross-builds kumoden.exe and the tests
# with mingw-w64, and runs them under Wine with the Japanese code page and no
# display. The tests start a print scheduler of their own (Wine lists its
# queues as printers); called by scripts/test.sh. Prints how long each step took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${KUMODEN_WIN_BUILD:-build-win}

step_start=$(date +%s)
lap() {
  local now
  now=$(date +%s)
  echo "test-windows.sh: $1 took $((now - step_start)) s"
  step_start=$now
}

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKUMODEN_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
lap "build"

# The Japanese locale makes Wine's ANSI code page 932.
if [ ! -d "$build/locale/ja_JP.UTF-8" ]; then
  mkdir -p "$build/locale"
  localedef -i ja_JP -f UTF-8 "$build/locale/ja_JP.UTF-8"
fi
export LOCPATH="$root/$build/locale" LC_ALL=ja_JP.UTF-8
export WINEPREFIX="$root/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY LPDEST PRINTER
# Wine lists the printers of the scheduler it finds: only ever the tests' own
# (not running while the prefix is made, so the prefix holds no printers).
export CUPS_SERVER="$root/$build/test-cups/cups.sock" CUPS_SERVERROOT="$root/$build/test-cups/client"
trap 'wineserver -k 2>/dev/null || true; [ ! -d "$build/test-cups" ] || scripts/test-print-system.sh stop "$build/test-cups"' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # No display here: Wine's null graphics driver still makes (hidden) windows.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
fi
lap "Wine prefix"

ctest --test-dir "$build" --output-on-failure
lap "tests under Wine"
