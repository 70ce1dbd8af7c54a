#!/bin/sh
# `sudo make install` as a user runs it: as root, for the user named by
# SUDO_UID. Nothing may be left behind that the user cannot write, and the
# folder a user's `make run` builds in is not touched, so that `make run`
# after `sudo make install` works as that user.
#
#   make_install_test.sh SOURCE_DIR
set -eu
source_dir=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
user=65534
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

SUDO_UID=$user SUDO_GID=$user env -u MAKEFLAGS -u MAKELEVEL -u MFLAGS make -s -C "$source_dir" install BUILD_DIR="$tmp/build" \
  INSTALL_BUILD_DIR="$tmp/build-install" DESTDIR="$tmp/root" PREFIX=/usr/local >"$tmp/log" 2>&1 ||
  { cat "$tmp/log"; fail "make install failed"; }

[ -x "$tmp/root/usr/local/bin/oru" ] || fail "oru is not installed"
[ ! -e "$tmp/build" ] || fail "make install wrote into the folder make run builds in"
not_theirs=$(find "$tmp/build-install" ! -user "$user" | head -n 5)
[ -z "$not_theirs" ] || fail "left behind, not the user's: $not_theirs"

[ "$failures" -eq 0 ] && echo "make install: all checks passed"
exit "$failures"
