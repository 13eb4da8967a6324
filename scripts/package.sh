#!/usr/bin/env bash
# Builds the Debian package of Kumoden and checks it: lintian, the desktop
# entries, the AppStream file, the systemd units, then the unpacked programs themselves (the
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

program="$work/root/usr/bin/kumoden"
fail() {
  echo "package.sh: $*" >&2
  exit 1
}

echo "== man pages"
# Lintian tells groff's complaints as warnings, which do not fail it: a
# Japanese line that groff cannot break (it breaks only at spaces) would
# pass unseen. Here any complaint fails, read as lintian reads the pages.
for page in "$work"/root/usr/share/man/man1/*.1.gz "$work"/root/usr/share/man/ja/man1/*.1.gz; do
  told=$(env -i "PATH=/usr/bin:/bin" "LC_ALL=C.UTF-8" "MANWIDTH=80" \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) || told="man failed${told:+: $told}"
  [ -z "$told" ] || fail "${page#"$work/root"}: $told"
done

echo "== systemd units"
# systemd's own parser reads the user units as a user's manager would,
# with no manager running (a container): any warning it prints (a key it
# does not know, a value it cannot read, a program that is not there)
# fails the package, since systemd itself would only ignore the line.
# ExecStart names the installed program; it is checked in the unpacked
# tree, and the man page each unit names in the unpacked man pages.
units="$work/root/usr/lib/systemd/user"
mkdir -p "$work/units" "$work/runtime" "$work/verify-home"
chmod 700 "$work/runtime"
for unit in kumoden.service kumoden@.service; do
  [ -f "$units/$unit" ] || fail "$unit is not in the package"
  grep -q '^ExecStart=/usr/bin/kumoden\( \|$\)' "$units/$unit" || fail "$unit does not start /usr/bin/kumoden"
  sed "s|^ExecStart=/usr/|ExecStart=$work/root/usr/|" "$units/$unit" >"$work/units/$unit"
done
if ! verified=$(env -i "PATH=/usr/bin:/bin" "HOME=$work/verify-home" "XDG_RUNTIME_DIR=$work/runtime" \
  "MANPATH=$work/root/usr/share/man" "SYSTEMD_LOG_LEVEL=notice" "SYSTEMD_UNIT_PATH=$work/units:" \
  systemd-analyze verify --user --generators=no --man=yes \
  "$work/units/kumoden.service" "$work/units/kumoden@check.service" 2>&1) || [ -n "$verified" ]; then
  fail "systemd-analyze verify: ${verified:-failed}"
fi

echo "== the unpacked program"
for file in usr/bin/kumoden-print usr/lib/systemd/user/kumoden.service usr/lib/systemd/user/kumoden@.service \
  usr/share/icons/hicolor/48x48/apps/kumoden.png usr/share/icons/hicolor/scalable/apps/kumoden.svg \
  usr/share/doc/kumoden/kumoden.INI.sample usr/share/doc/kumoden/README.ja.md \
  usr/share/man/ja/man1/kumoden.1.gz usr/share/man/ja/man1/kumoden-print.1.gz; do
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
