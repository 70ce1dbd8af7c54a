#!/bin/sh
# Installs a Debian package of oru with apt-get into a fresh minimal root of
# its release, as a user installs it on a new machine, and runs scripts with
# the installed oru there on a virtual X server (installed_run.sh).
#
#   tests/package/fresh_install.sh RELEASE PACKAGE.deb
#
# RELEASE is 12, 13 or testing (or bookworm, trixie or forky). The minimal
# root is made once with debootstrap and kept in /var/cache/oru/bare-NN; each
# run installs into a fresh copy of it, removed afterwards. Downloaded
# packages are kept in /var/cache/oru/apt-NN so later runs do not fetch them
# again. Needs root. Exits with status 77 when the release's archive cannot
# be installed from (debootstrap or apt-get update fails), before the
# package is tried.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
debian_root="$here/../../tools/debian-root.sh"
[ $# -eq 2 ] || { echo "usage: $0 RELEASE PACKAGE.deb" >&2; exit 2; }
case "$1" in
  12 | bookworm) number=12 ;;
  13 | trixie) number=13 ;;
  testing | forky) number=testing ;;
  *) echo "fresh_install: unsupported release '$1' (12, 13 or testing)" >&2; exit 2 ;;
esac
package=$2
[ -f "$package" ] || { echo "fresh_install: no package '$package'" >&2; exit 2; }

cache=/var/cache/oru
bare="$cache/bare-$number"
archives="$cache/apt-$number"
"$debian_root" make "$number" "$bare" || exit 77
mkdir -p "$archives/partial"

fresh=$(mktemp -d "$cache/fresh-$number.XXXXXX")
# debian-root.sh has released the root's mounts; it never deletes through one.
trap '"$debian_root" remove "$fresh" || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
cp -a "$bare/." "$fresh/"
mkdir -p "$fresh/tmp/package" "$fresh/tmp/oru-test"
cp "$package" "$fresh/tmp/package/"
cp "$here/installed_run.sh" "$here/end_when_running.sh" "$here/window.js" "$fresh/tmp/oru-test/"

echo "fresh_install: installing $(basename "$package") into a fresh Debian $number root"
"$debian_root" run "$fresh" --bind "$archives:/var/cache/apt/archives" -- sh /tmp/oru-test/installed_run.sh
