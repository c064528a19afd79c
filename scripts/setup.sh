#!/usr/bin/env bash
# Installs every Debian package glint needs to build, test, generate its
# content and run. Idempotent: asks dpkg first and installs only what is
# missing, with one `apt-get update` at most.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libx11-dev libxrandr-dev libglu1-mesa-dev libgl1-mesa-dri libegl1
  libdevil-dev libfreetype-dev libfontconfig-dev fonts-liberation
  libfltk1.3-dev libmpg123-dev libmp3lame-dev libcairo2-dev libpulse-dev
  pulseaudio pulseaudio-utils sox # a private sound server for the tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  libsystemd-dev # sd-bus: the media controls on the session bus
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick
  openbox # a window manager for the tests of resizing and full screen, started privately
  dbus playerctl # a private session bus for the media-control tests, and a client
  xfonts-base # core X fonts: SDL draws its message box with them
  clang libclang-rt-14-dev
  dpkg-dev lintian appstream # make package: dependencies, checks, metadata validation
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=600 update -q
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
