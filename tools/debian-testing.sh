#!/bin/sh
# Runs oru's suite, or builds its package, in a Debian testing root.
#
#   tools/debian-testing.sh test ROOT BUILD_DIR
#       The whole suite (make test) built in BUILD_DIR inside ROOT.
#   tools/debian-testing.sh package ROOT DEB_DIR
#       The package built in DEB_DIR inside ROOT, then installed with apt-get
#       into a fresh minimal testing root (tests/package/fresh_install.sh).
#
# ROOT is made (tools/debian-root.sh) when missing, and oru's build and test
# packages are installed in it. Testing moves every day and its archive is
# at times uninstallable: when debootstrap or apt fails before oru's own build
# starts, this prints "SKIPPED: Debian testing archive unavailable: <reason>"
# and succeeds. Any failure of oru's own build or tests fails it. Needs root.
set -eu
cd "$(dirname "$0")/.."
[ $# -eq 3 ] || { echo "usage: $0 test|package ROOT DIR" >&2; exit 2; }
job=$1
root=$2
dir=$3

skip() {
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
./tools/debian-root.sh make testing "$root" || skip "debootstrap failed (log: $root.log)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! in_root sh -c 'cd /oru && ./tools/install-deps.sh' >"$log" 2>&1; then
  tail -n 20 "$log"
  skip "apt-get could not install oru's build and test packages: $(grep -E '^(E|W):' "$log" | head -n 1)"
fi

case "$job" in
  test) in_root sh -c "cd /oru && make test BUILD_DIR='$dir'" ;;
  package)
    in_root sh -c "cd /oru && make deb DEB_DIR='$dir'"
    status=0
    ./tests/package/fresh_install.sh testing "$dir"/oru_*.deb || status=$?
    # fresh_install.sh's status for an archive it could not install from.
    [ "$status" -eq 77 ] && skip "a fresh testing root could not be made or updated"
    exit "$status"
    ;;
  *) echo "$0: unknown job '$job' (test or package)" >&2; exit 2 ;;
esac
