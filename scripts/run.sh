#!/usr/bin/env bash
# Runs Kumoden with a working demo configuration on Debian 12: installs what
# is needed, builds, starts cupsd (or uses the one running) with the demo's
# own cups-pdf queue "KumodenPDF", writes a demo INI beside the program if
# none is there, and starts the program. The machine's queues, its default
# destination and its files stay as they are. Stop it with Ctrl+C.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib.sh
source scripts/lib.sh

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target kumoden kumoden-print

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo scripts/services.sh start cups
# The hard copy prints on the default destination; where the machine has
# none, the demo's queue stands in for this program alone.
if ! cups_client lpstat -d 2>/dev/null | grep -q 'destination:'; then
  export LPDEST=KumodenPDF
fi

# On a desktop Kumoden goes into its tray; without one it gets a virtual
# display with a tray host of its own.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # The X server runs as the caller; so does its record of what was started.
  [ "$(id -u)" -eq 0 ] || export KUMODEN_STATE_DIR="${XDG_RUNTIME_DIR:-/tmp}/kumoden-services-$(id -u)"
  scripts/services.sh start x >/dev/null
  export DISPLAY="${KUMODEN_DISPLAY:-:99}"
  cat <<TEXT
run.sh: there is no display here, so Kumoden runs on the virtual display $DISPLAY
        (Xvfb) with a tray host (trayer) at its top right. To look at it:
          DISPLAY=$DISPLAY import -window root /tmp/kumoden-screen.png
        To use its menu: DISPLAY=$DISPLAY xdotool mousemove <x> <y> click 3
TEXT
fi

watched="$HOME/KumodenIn"
ini="$root/build/kumoden.INI"
mkdir -p "$watched"
if [ ! -f "$ini" ]; then
  cat > "$ini" <<INI
[FileCheck_Info]
FileChkTime=1000
FileChkDir=$watched
FileSelect=
AcrExeDir=$root/build/kumoden-print
PrinterNm=KumodenPDF
FileDelDate=7
INI
  echo "run.sh: wrote the demo settings $ini"
fi

cat <<TEXT

Kumoden is starting (a two-second splash, then its icon "PDF印刷ツール" in the tray;
right-click it for the menu, double-click it for the version box).
  Settings:                 $ini
  Drop PDF files into:      $watched
  They are archived in:     $watched/BackPdf   (kept 7 days)
  The printed output is in: ${HOME}/PDF, by the queue KumodenPDF
  Stop it with Ctrl+C.

TEXT
exec build/kumoden
