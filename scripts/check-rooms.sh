#!/usr/bin/env bash
# Checks that every #include between the rooms points the one way the
# layout allows: the system's own code to the interfaces (platform/*.h)
# and to itself, the model to nothing else of it, the backends to the
# interfaces and platform/common, the composition roots to everything.
# Prints each include that breaks this and exits 1; silent and 0 otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

system='model|watch|tray|hardcopy|settings_ui|printing'
# room (a path prefix) and the includes it may make (an extended regex of
# the included path), first match wins.
rules=(
  "model/|^(platform/[a-z_]+\.h|model/)"
  "watch/ tray/ hardcopy/ settings_ui/ printing/|^(platform/[a-z_]+\.h|($system)/)"
  "app/|^(platform/[a-z_]+\.h|($system|app)/)"
  "platform/common/|^platform/([a-z_]+\.h|common/)"
  "platform/linux/main.cpp platform/win32/main.cpp|^(platform/|($system|app)/|kumoden_version\.h)"
  "platform/linux/|^(platform/([a-z_]+\.h|common/|linux/)|[a-z0-9-]+-client-protocol\.h)"
  "platform/win32/|^platform/([a-z_]+\.h|common/|win32/)"
  "platform/|^platform/[a-z_]+\.h"
  "tests/fakes/|^(platform/[a-z_]+\.h|platform/common/|tests/fakes/)"
)

status=0
while IFS= read -r file; do
  allowed=""
  for rule in "${rules[@]}"; do
    for room in ${rule%%|*}; do
      if [[ "$file" == "$room"* ]]; then
        allowed=${rule#*|}
        break 2
      fi
    done
  done
  [[ -n "$allowed" ]] || continue
  while IFS= read -r included; do
    if ! [[ "$included" =~ $allowed ]]; then
      echo "$file includes $included"
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.cpp' '*.h' '*.inc')
exit $status
