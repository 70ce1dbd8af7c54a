#!/bin/sh
# Installs the Debian packages that oru's build and test suite need, and any
# further ones named as arguments (the benchmark's heaptrack), skipping the
# ones already present. Runs apt-get through sudo when not root.
set -eu

packages="cmake make g++ pkg-config
libmozjs-102-dev libsdl1.2-dev libgl-dev libx11-dev
googletest libgtest-dev
clang libclang-rt-14-dev
xvfb xauth libgl1-mesa-dri xdotool x11-utils x11-apps imagemagick
$*"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=""
else
  sudo="sudo"
fi

echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
