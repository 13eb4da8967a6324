#!/usr/bin/env bash
# The Windows leg of the test suite: cross-builds kumoden.exe and the tests
# with mingw-w64, and runs them under Wine with the Japanese code page and no
# display; then the tests of the Linux build labelled "wine" drive kumoden.exe
# under Wine's X11 driver on X servers of their own. The tests start a print
# scheduler of their own (Wine lists its queues as printers). It also builds
# and checks the Windows packages (scripts/package-windows.sh). Called by
# scripts/test.sh. Prints how long each step took.
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
x11prefix="$root/$build/wineprefix-x11"
trap 'wineserver -k 2>/dev/null || true; WINEPREFIX=$x11prefix wineserver -k 2>/dev/null || true; [ ! -d "$build/test-cups" ] || scripts/test-print-system.sh stop "$build/test-cups"' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # No display here: Wine's null graphics driver still makes (hidden) windows.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
fi
# The X11 driver's prefix: no window manager draws frames, so Wine does;
# the program's font, absent from the prefix, is drawn with a Japanese one.
if [ ! -f "$x11prefix/system.reg" ]; then
  (
    export WINEPREFIX="$x11prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f >/dev/null 2>&1
    wineserver -w
  )
fi
lap "Wine prefixes"

ctest --test-dir "$build" --output-on-failure
lap "tests under Wine"

# The portable zip and the installer, installed and uninstalled in a copy
# of the prefix.
scripts/package-windows.sh "$build"
lap "Windows packages"

# The tests on X are programs of the Linux build (scripts/test.sh makes it
# first; alone, this makes what they need).
linux=${KUMODEN_LINUX_BUILD:-build}
[ -f "$linux/CMakeCache.txt" ] ||
  cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUMODEN_TESTS=ON -DKUMODEN_BENCH=OFF >/dev/null
cmake "$linux" -DKUMODEN_WIN_BUILD_DIR="$root/$build" >/dev/null
cmake --build "$linux" -j "$(nproc)" --target kumoden_wine_x11_test kumoden_wine_sumatra_test clipboard_owner
# A real reader for kumoden.exe to print through.
scripts/fetch-sumatra.sh "$build/sumatra"
ctest --test-dir "$linux" -L wine --output-on-failure
lap "kumoden.exe under Wine on X"
