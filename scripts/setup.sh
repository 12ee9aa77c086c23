#!/usr/bin/env bash
# Installs every Debian package the suite needs to build, run and test.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config git
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev
  libqt6opengl6-dev qt6-qpa-plugins
  # GStreamer 1.22
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libgstreamer-plugins-bad1.0-dev
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x
  # gst-play-1.0, the movie player benchmark's peer
  gstreamer1.0-plugins-base-apps
  # vipsthumbnail, the photo thumbnail benchmark's peer
  libvips-tools
  # archives, compound files, text drawing in the caption filter
  libzip-dev zlib1g-dev libgsf-1-dev libpango1.0-dev libcairo2-dev
  # X11 through xcb
  libxcb1-dev libxcb-xtest0-dev libxcb-randr0-dev libxcb-dpms0-dev
  libxcb-screensaver0-dev libxcb-ewmh-dev libxcb-icccm4-dev libx11-dev libx11-xcb-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth openbox x11-utils xdotool
  dbus dbus-x11 dvdauthor mjpegtools python3
  # fonts: Korean text must always render
  fonts-nanum fonts-dejavu-core fontconfig
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
