#!/usr/bin/env bash
# Measures the idle cost of the resident program: CPU time over 60 s and the
# peak resident set, with a 1000 ms tick on an empty watched folder, under
# the test X server with its tray host. Needs scripts/services.sh start.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/kumoden-idle.XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/in"
cp "$root/build/kumoden" "$work/kumoden"
printf '[FileCheck_Info]\nFileChkTime=1000\nFileChkDir=%s\nFileSelect=job\nPrinterNm=KumodenPDF\nFileDelDate=7\n' \
  "$work/in" > "$work/kumoden.INI"
export DISPLAY="${KUMODEN_DISPLAY:-:99}"
"$work/kumoden" >/dev/null 2>&1 &
pid=$!
sleep 5 # past the splash
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(cpu)
sleep 60
after=$(cpu)
awk -v a="$after" -v b="$before" -v t="$ticks" \
  'BEGIN { s = (a - b) / t; printf "CPU time over 60 s: %.2f s (%.3f %%)\n", s, s * 100 / 60 }'
grep -E 'VmHWM|VmRSS' "/proc/$pid/status"
