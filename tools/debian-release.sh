#!/bin/sh
# Runs oru's suite, or builds and installs its package, on another Debian
# release: in a root of that release made with debootstrap and kept for the
# next run (tools/debian-root.sh), with this folder as /oru.
#
#   tools/debian-release.sh root RELEASE ROOT
#       Makes ROOT a root of RELEASE (13 or testing), when missing or unfinished.
#   tools/debian-release.sh test RELEASE ROOT BUILD_DIR
#       The whole suite (make test), built in BUILD_DIR inside ROOT.
#   tools/debian-release.sh package RELEASE ROOT DEB_DIR
#       The package (make deb) built in DEB_DIR inside ROOT and checked by the
#       release's lintian (not on testing, whose lintian moves with its
#       archive), then installed with apt-get into a fresh minimal root of
#       RELEASE (tests/package/fresh_install.sh).
#
# test and package first make ROOT and install oru's build and test packages
# in it (tools/install-deps.sh; apt-get's output in ROOT.packages.log).
# Testing moves every day and its archive is at times uninstallable: on
# testing, when debootstrap or apt-get fails before oru's own build starts,
# this prints "SKIPPED: Debian testing archive unavailable: <reason>" and
# succeeds. On 13 that fails, as does any failure of oru's own build or
# tests on either. Needs root.
set -eu
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 root RELEASE ROOT | test RELEASE ROOT BUILD_DIR | package RELEASE ROOT DEB_DIR" >&2
  exit 2
}

[ $# -ge 3 ] || usage
job=$1
release=$2
root=$3
case "$job" in
  root) [ $# -eq 3 ] || usage ;;
  test | package) [ $# -eq 4 ] || usage; dir=$4 ;;
  *) usage ;;
esac
case "$release" in
  testing | forky) moving=yes ;;
  *) moving=no ;;
esac

# The release's archive could not be installed from: skipped, loudly, on
# testing; a failure elsewhere.
unavailable() {
  if [ "$moving" = no ]; then
    echo "debian-release: Debian $release archive unavailable: $*" >&2
    exit 1
  fi
  echo "********************************************************************"
  echo "SKIPPED: Debian testing archive unavailable: $*"
  echo "********************************************************************"
  exit 0
}

# Runs a command in the root with this folder as /oru.
in_root() {
  ./tools/debian-root.sh run "$root" --bind "$(pwd -P):/oru" -- "$@"
}

./tools/install-deps.sh debootstrap
./tools/debian-root.sh make "$release" "$root" || unavailable "debootstrap failed (log: $root.log)"
[ "$job" = root ] && exit 0

log="$root.packages.log"
echo "debian-release: installing oru's build and test packages in $root (log: $log)"
if ! in_root sh -c 'cd /oru && ./tools/install-deps.sh' >"$log" 2>&1; then
  tail -n 20 "$log"
  unavailable "apt-get could not install oru's build and test packages: $(grep -E '^(E|W):' "$log" | head -n 1)"
fi

if [ "$job" = test ]; then
  in_root sh -c "cd /oru && make test BUILD_DIR='$dir'"
  exit 0
fi
targets="deb lint-package"
[ "$moving" = yes ] && targets=deb
in_root sh -c "cd /oru && make $targets DEB_DIR='$dir'"
status=0
./tests/package/fresh_install.sh "$release" "$dir"/oru_*.deb || status=$?
# fresh_install.sh's status for an archive it could not install from.
[ "$status" -eq 77 ] && unavailable "a fresh $release root could not be made or updated"
exit "$status"
