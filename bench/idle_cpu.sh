#!/usr/bin/env bash
# The idle cost of the resident program: runs the built kumoden (headless)
# over a watched folder whose archive holds COUNT backups, none due, with
# FileChkTime=200, and prints the CPU time it used over SECONDS seconds as a
# share of one core (utime + stime from /proc/<pid>/stat).
# Usage: bench/idle_cpu.sh <kumoden binary> [COUNT=100000] [SECONDS=20]
set -euo pipefail
program=$1
count=${2:-100000}
seconds=${3:-20}
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/in/BackPdf" "$work/run"
chmod 700 "$work/run"
cp "$program" "$work/app/kumoden"
printf '[FileCheck_Info]\r\nFileChkTime=200\r\nFileChkDir=%s\r\nFileSelect=job\r\nAcrExeDir=/bin/true\r\nPrinterNm=PDF\r\nFileDelDate=7\r\n' \
  "$work/in" >"$work/app/kumoden.INI"
(cd "$work/in/BackPdf" && seq -f 'job_%.0f.pdf' 1 "$count" | xargs -r touch)
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/run" \
  "$work/app/kumoden" >/dev/null 2>&1 &
pid=$!
# Past the splash and the first tick's walk.
sleep 5
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(cpu)
sleep "$seconds"
after=$(cpu)
left=$(find "$work/in/BackPdf" -maxdepth 1 -type f | wc -l)
ticks=$(getconf CLK_TCK)
awk -v used=$((after - before)) -v hz="$ticks" -v s="$seconds" -v n="$count" -v left="$left" \
  'BEGIN { printf "%d backups (%d left): %.2f s of CPU in %d s = %.2f %% of a core\n", n, left, used / hz, s, 100 * used / hz / s }'
