#!/bin/sh
# Installs the Debian packages that oru's build and test suite need, and any
# further ones named as arguments (the benchmark's heaptrack), skipping the
# ones already present. Runs apt-get through sudo when not root.
#
# The release decides the JavaScript engine and the sanitizer runtime:
# Debian 12 has SpiderMonkey 102 and clang 14, Debian 13 SpiderMonkey 128
# and clang 19 (and SDL 1.2 as sdl12-compat, under the same package name),
# Debian testing (forky) and unstable (sid) SpiderMonkey 140 and the clang of
# the day, whose sanitizer runtime libclang-rt-dev follows.
set -eu

# shellcheck source=/dev/null
release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
case "$release" in
  bookworm) engine="libmozjs-102-dev" sanitizers="libclang-rt-14-dev" ;;
  trixie) engine="libmozjs-128-dev" sanitizers="libclang-rt-19-dev" ;;
  forky | sid) engine="libmozjs-140-dev" sanitizers="libclang-rt-dev" ;;
  *)
    echo "oru builds on Debian 12 (bookworm), Debian 13 (trixie) and Debian testing (forky); this is '$release'." >&2
    exit 1
    ;;
esac

# The program embeds the web player with its parser (node-acorn) and writes
# zip archives (libzip). The browsers the web player's tests drive (Debian's
# Chromium and Firefox ESR) are large and only the tests need them: `make
# test` names them as extra packages.
packages="cmake make g++ pkg-config
$engine libsdl1.2-dev libgl-dev libx11-dev libzip-dev node-acorn
libpng-dev libgif-dev libimagequant-dev
googletest libgtest-dev
clang $sanitizers
xvfb xauth libgl1-mesa-dri xdotool x11-utils x11-apps imagemagick man-db shellcheck unzip
$*"

# Node and npm run the TypeScript compiler that checks the scripts against
# their type declarations (tests/types) and drive the browsers of the web
# player's tests (tests/web). Debian's are installed only when no node or npm
# is on the path: another build of Node (NodeSource's, whose nodejs package
# bundles npm) conflicts with Debian's npm package.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  packages="$packages nodejs npm"
fi

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
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
# Through env: sudo resets the environment, so a variable set before it is lost.
# $missing is a list of words.
# shellcheck disable=SC2086
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
  --no-install-recommends $missing
