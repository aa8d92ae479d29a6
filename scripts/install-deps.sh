#!/usr/bin/env bash
# Installs everything Quillbook needs to build, run and test on Debian 12 (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  build-essential cmake ninja-build ccache pkg-config clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-multimedia-dev gstreamer1.0-plugins-good
  libpugixml-dev libzip-dev libdeflate-dev libsodium-dev googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick fonts-dejavu-core dbus-x11 at-spi2-core python3-pyatspi python3-gi
  dpkg-dev lintian desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl man-db groff-base
  strace librsvg2-bin
  orca speech-dispatcher xclip
  # Reading aloud: Qt TextToSpeech (its CMake package needs the QML headers) and the speech-dispatcher engine.
  qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
