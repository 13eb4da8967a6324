#!/usr/bin/env bash
# Builds the Debian package of Kumoden and checks it: lintian, the desktop
# entries, the AppStream file, then the unpacked programs themselves (the
# version, and that an installed program keeps its INI and log in the
# user's settings folder, not beside itself). scripts/test.sh runs it.
#
#   scripts/package.sh [BUILD]     # default: build; the .deb is left in BUILD
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build}
version=$(sed -n 's/^project(Kumoden VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

scripts/deps.sh
# The package installs into /usr, its autostart entry into /etc. Only the
# install rules change with the prefix: nothing is compiled again for it.
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DKUMODEN_TESTS=OFF -DKUMODEN_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/kumoden_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kumoden_"$version"-*.deb)
echo "package.sh: $deb, $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb" | sed -n 's/^ \(Depends\|Recommends\):/  \1:/p'

work=$(mktemp -d /tmp/kumoden-package.XXXXXX)
pid=""
cleanup() {
  [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 --display-info "$deb"

echo "== desktop entries and AppStream"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/kumoden.desktop"
desktop-file-validate "$work/root/etc/xdg/autostart/kumoden.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/"*.metainfo.xml

echo "== the unpacked program"
program="$work/root/usr/bin/kumoden"
fail() {
  echo "package.sh: $*" >&2
  exit 1
}
for file in usr/bin/kumoden-print usr/lib/systemd/user/kumoden.service \
  usr/share/icons/hicolor/48x48/apps/kumoden.png usr/share/icons/hicolor/scalable/apps/kumoden.svg \
  usr/share/doc/kumoden/kumoden.INI.sample; do
  [ -f "$work/root/$file" ] || fail "$file is not in the package"
done
[ "$("$program" --version)" = "kumoden $version" ] || fail "--version does not say kumoden $version"

# A user who cannot write into the program's folder, as with any installed
# program: root writes anywhere, so the program runs as nobody there.
home="$work/home"
mkdir -p "$home/.config/kumoden" "$work/in"
chmod 755 "$work"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$home" "$work/in"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  chmod -R a-w "$work/root/usr/bin"
fi
run_env=(env -i "PATH=/usr/bin:/bin" "HOME=$home" "QT_QPA_PLATFORM=offscreen" "LANG=C.UTF-8"
  "CUPS_SERVER=$work/no-scheduler.sock")
help=$("${as_user[@]}" "${run_env[@]}" "$program" --help)
grep -qxF "Settings: $home/.config/kumoden/kumoden.INI" <<<"$help" ||
  fail "--help does not name the INI in the user's folder: $help"

ini="$home/.config/kumoden/kumoden.INI"
printf '[FileCheck_Info]\nFileChkTime=300\nFileChkDir=%s\nFileSelect=job\nAcrExeDir=/bin/true\n' \
  "$work/in" >"$ini"
printf '%%PDF-1.4\n%%%%EOF\n' >"$work/in/job1.pdf"
[ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$ini" "$work/in/job1.pdf"
"${as_user[@]}" "${run_env[@]}" "$program" &
pid=$!
for _ in $(seq 1 150); do
  [ ! -f "$work/in/BackPdf/job1.pdf" ] || break
  kill -0 "$pid" 2>/dev/null || fail "the program ended early"
  sleep 0.2
done
[ -f "$work/in/BackPdf/job1.pdf" ] || fail "the program did not work with the INI in the user's folder"
kill -TERM "$pid"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end on SIGTERM"
wait "$pid" || fail "the program ended with status $? on SIGTERM"
pid=""
grep -q "job1.pdf" "$home/.config/kumoden/kumoden.log" || fail "no log beside the user's INI"
beside=$(ls -A "$work/root/usr/bin")
[ "$beside" = "$(printf 'kumoden\nkumoden-print')" ] || fail "files were made beside the program: $beside"
echo "package.sh: the package passed"
