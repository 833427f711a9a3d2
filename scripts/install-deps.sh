#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo content need, skipping those that
# are already there. Runs as root, or through sudo when that is available.
set -euo pipefail

packages=(
  g++ cmake make ninja-build pkg-config clang clang-format libclang-rt-14-dev
  libtiff-dev libjpeg-dev libpng-dev
  libsdl2-dev libsdl2-ttf-dev libimgui-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  googletest libgtest-dev libbenchmark-dev
  espeak-ng fonts-dejavu-core
  xvfb libx11-dev libxtst-dev twm openbox
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
