#!/usr/bin/env bash
# Builds the two Windows packages with CPack (the portable zip and the NSIS
# installer) and checks them: the zip's files and bytes, then under Wine in
# a copy of the build's null-driver prefix a silent install, the installed
# program, and a silent uninstall. scripts/test-windows.sh runs it once the
# prefix is made; it expects that script's environment (WINEPREFIX, the
# Japanese code page, no display).
#
#   scripts/package-windows.sh [BUILD]   # default: build-win; packages left in BUILD
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build-win}
version=$(sed -n 's/^project(Kumoden VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
fail() {
  echo "package-windows.sh: $*" >&2
  exit 1
}

cmake --build "$build" -j 2 --target kumoden kumoden_package_files win32_window_lister
rm -f "$build"/kumoden-*-win64.zip "$build"/kumoden-*-win64.exe
(cd "$build" && cpack -G "ZIP;NSIS" >/dev/null)
zip="$build/kumoden-$version-win64.zip"
installer="$build/kumoden-$version-win64.exe"
echo "package-windows.sh: $zip, $(stat -c %s "$zip") bytes; $installer, $(stat -c %s "$installer") bytes"

work=$(mktemp -d /tmp/kumoden-package-win.XXXXXX)
frozen=""
cleanup() {
  [ -z "$frozen" ] || chattr -i "$frozen" 2>/dev/null || chmod u+w "$frozen" 2>/dev/null || true
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== the portable zip"
names=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$names" = "README-en.txt README-ja.txt kumoden.INI kumoden.exe " ] || fail "the zip holds: $names"
unzip -q "$zip" -d "$work/zip"
ini="$work/zip/kumoden.INI"
# Code page 932 with CRLF: every line ends in CR LF, the text converts back,
# and it holds the settings the program reads.
[ "$(grep -c $'\r$' "$ini")" = "$(wc -l <"$ini")" ] || fail "kumoden.INI has a line without CRLF"
text=$(iconv -f CP932 -t UTF-8 "$ini") || fail "kumoden.INI is not code page 932"
! iconv -f UTF-8 -t UTF-8 "$ini" >/dev/null 2>&1 || fail "kumoden.INI reads as UTF-8, not code page 932"
for key in '\[FileCheck_Info\]' FileChkTime=1000 'FileChkDir=C:\\KumodenIn\\' FileSelect= AcrExeDir= PrinterNm= FileDelDate=7 '; 監視するフォルダー'; do
  grep -q "^$key"$'\r$' <<<"$text" || fail "kumoden.INI lacks the line $key"
done
grep -v '^;' <<<"$text" | grep -q ';' && fail "kumoden.INI has a ';' after a value"
[ "$(head -c 3 "$work/zip/README-ja.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README-ja.txt has no BOM"
imports=$(x86_64-w64-mingw32-objdump -p "$work/zip/kumoden.exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
echo "kumoden.exe imports: $imports"
for dll in $imports; do
  case $dll in
    comctl32.dll | comdlg32.dll | gdi32.dll | kernel32.dll | msvcrt.dll | ole32.dll | shell32.dll | user32.dll | winspool.drv) ;;
    *) fail "kumoden.exe imports $dll, not a system DLL" ;;
  esac
done
x86_64-w64-mingw32-objdump -h "$work/zip/kumoden.exe" | grep -q '\.debug' && fail "kumoden.exe in the zip is not stripped"

echo "== the installer under Wine"
# A prefix of its own, so that installing touches nothing the other tests use.
[ -f "$WINEPREFIX/system.reg" ] || fail "no Wine prefix at $WINEPREFIX"
cp -a "$WINEPREFIX" "$work/prefix"
export WINEPREFIX="$work/prefix"
drive="$WINEPREFIX/drive_c"
installed="$drive/Program Files/Kumoden"
user_dir=$(ls -d "$drive"/users/*/AppData/Roaming | grep -v /Public/ | head -n 1)
start_menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Kumoden"
startup=$(dirname "$user_dir")/Roaming/Microsoft/Windows/Start\ Menu/Programs/StartUp
# Every Wine command is bounded: a hung one fails the check.
w() { timeout 120 wine "$@"; }

install_silently() {
  w "$installer" /S "$@" || fail "the silent install $* ended with $?"
  wineserver -w
  for file in kumoden.exe README-ja.txt README-en.txt Uninstall.exe; do
    [ -f "$installed/$file" ] || fail "no $file in Program Files/Kumoden"
  done
  [ ! -e "$installed/kumoden.INI" ] || fail "the installer put a kumoden.INI beside the program"
  [ -f "$start_menu/Kumoden.lnk" ] || fail "no Start-menu shortcut: $(ls "$start_menu" 2>&1)"
  w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kumoden' /v UninstallString |
    grep -q 'Kumoden\\Uninstall.exe' || fail "the uninstaller is not registered under HKLM"
}
uninstall_silently() {
  w "$installed/Uninstall.exe" /S || fail "the silent uninstall ended with $?"
  # The uninstaller copies itself and returns at once; the copy does the work.
  for _ in $(seq 1 100); do
    [ -e "$installed/kumoden.exe" ] || break
    sleep 0.2
  done
  wineserver -w
  [ ! -e "$installed/kumoden.exe" ] && [ ! -e "$installed/Uninstall.exe" ] || fail "the uninstall left the program"
  [ ! -e "$start_menu" ] || fail "the uninstall left the Start menu's folder: $(ls "$start_menu")"
  [ ! -e "$startup/Kumoden.lnk" ] || fail "the uninstall left the Startup shortcut"
  w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kumoden' >/dev/null 2>&1 &&
    fail "the uninstall left its registry key"
  return 0
}

install_silently
[ -f "$startup/Kumoden.lnk" ] || fail "a silent install made no Startup shortcut"
exe='C:\Program Files\Kumoden\kumoden.exe'
[ "$(w "$exe" --version | tr -d '\r')" = "kumoden $version" ] || fail "--version does not say kumoden $version"
# Under Wine the prefix's owner may write into Program Files, so there the
# installed program keeps its INI beside itself, as a portable copy does.
w "$exe" --help | tr -d '\r' | grep -qxF 'Settings: C:\Program Files\Kumoden\kumoden.INI' ||
  fail "--help does not name the INI beside the program in a writable folder"

# As a user who cannot write into Program Files (any installed program on
# Windows): the folder is made unwritable even for root.
frozen="$installed"
chattr +i "$installed" 2>/dev/null || chmod a-w "$installed"
appdata_ini=$(w "$exe" --help | tr -d '\r' | sed -n 's/^Settings: //p')
case $appdata_ini in
  'C:\users\'*'\AppData\Roaming\Kumoden\kumoden.INI') ;;
  *) fail "--help names $appdata_ini, not the INI in %APPDATA%\\Kumoden" ;;
esac
mkdir -p "$user_dir/Kumoden" "$drive/KumodenIn"
printf '[FileCheck_Info]\r\nFileChkTime=300\r\nFileChkDir=C:\\KumodenIn\\\r\nFileSelect=job\r\nAcrExeDir=C:\\windows\\system32\\hostname.exe\r\n' \
  >"$user_dir/Kumoden/kumoden.INI"
printf '%%PDF-1.4\n%%%%EOF\n' >"$drive/KumodenIn/job1.pdf"
timeout 60 wine "$exe" &
pid=$!
for _ in $(seq 1 150); do
  [ ! -f "$drive/KumodenIn/BackPdf/job1.pdf" ] || break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended early"
  sleep 0.2
done
[ -f "$drive/KumodenIn/BackPdf/job1.pdf" ] || fail "the installed program did not work with the INI in %APPDATA%"
cp "$build/win32_window_lister.exe" "$work/lister.exe"
w "$work/lister.exe" list | grep -q $'\tKumodenResident\t' || fail "no KumodenResident window"
w taskkill /im kumoden.exe >/dev/null 2>&1 || true
wait "$pid" || fail "the installed program ended with $? on WM_CLOSE"
grep -q 'job1.pdf' "$user_dir/Kumoden/kumoden.log" || fail "no log beside the INI in %APPDATA%\\Kumoden"
[ "$(ls -A "$installed" | tr '\n' ' ')" = "README-en.txt README-ja.txt Uninstall.exe kumoden.exe " ] ||
  fail "files were made beside the installed program: $(ls -A "$installed")"
chattr -i "$installed" 2>/dev/null || chmod u+w "$installed"
frozen=""

uninstall_silently
[ -f "$user_dir/Kumoden/kumoden.INI" ] || fail "the uninstall removed the user's INI"
[ ! -e "$installed" ] || fail "the uninstall left Program Files/Kumoden: $(ls -A "$installed")"

# /NOSTARTUP: no start at sign-in.
install_silently /NOSTARTUP
[ ! -e "$startup/Kumoden.lnk" ] || fail "/NOSTARTUP made a Startup shortcut"
uninstall_silently
echo "package-windows.sh: both packages passed"
