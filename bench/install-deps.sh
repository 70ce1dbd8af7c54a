#!/bin/sh
# Installs the Debian packages the benchmark needs beyond the build's own
# (tools/install-deps.sh): heaptrack, for the heap profile of the drawing path.
# Runs apt-get through sudo when not root.
set -eu

packages="heaptrack"

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
