#!/bin/sh
# Runs inside a fresh Debian root (fresh_install.sh): installs the package in
# /tmp/package as a user does, checks that it brought nothing for building,
# then, with a virtual X server added (the test's tools, not the package's
# dependencies), runs a script of its own folder, an installed example and a
# new game made by `oru --new`.
set -eu
export DEBIAN_FRONTEND=noninteractive
log=/tmp/oru-test/apt.log
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

quiet() {
  "$@" >"$log" 2>&1 || { cat "$log"; echo "FAIL: $*"; exit 1; }
}

# The archive itself out of reach is told apart (status 77) from a package
# that does not install.
apt-get -o DPkg::Lock::Timeout=600 update >"$log" 2>&1 || { cat "$log"; exit 77; }
(cd /tmp/package && quiet apt-get install -y ./oru_*.deb)

[ "$(command -v oru)" = /usr/bin/oru ] || fail "oru is not /usr/bin/oru on the path"
for file in /usr/share/man/man1/oru.1.gz /usr/share/doc/oru/copyright \
  /usr/share/doc/oru/changelog.Debian.gz /usr/share/oru/examples/main.js /usr/share/oru/oru.d.ts; do
  [ -f "$file" ] || fail "no $file"
done
building=$(dpkg-query -W -f '${Package}\n' | grep -E -- '-dev$|^(gcc|g\+\+|cpp|clang|cmake|make)(-[0-9]+)?$' || true)
[ -z "$building" ] || fail "installing oru brought packages for building: $(echo "$building" | tr "\n" " ")"

quiet apt-get install -y --no-install-recommends xvfb xauth libgl1-mesa-dri

on_display() {
  xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$@"
}

# A script in a folder of its own opens a window, draws and reports.
mkdir -p /tmp/game
cp /tmp/oru-test/window.js /tmp/game/
status=0
output=$(cd /tmp/game && on_display oru window.js 2>/tmp/oru-test/errors) || status=$?
expected="window true, colour 1 0.5 0.25
font true"
[ "$output" = "$expected" ] || fail "window.js printed '$output', not '$expected'"
[ "$status" = 0 ] || fail "window.js ended with status $status, not 0"

# A new game, made by the installed oru alone, with the installed declarations.
(cd /tmp && oru --new newgame >/dev/null 2>>/tmp/oru-test/errors) || fail "oru --new newgame failed"
cmp -s /tmp/newgame/oru.d.ts /usr/share/oru/oru.d.ts || fail "the new game's oru.d.ts is not the installed one"

# An installed example, the default demo (a bare `oru` there) and the new
# game, run from their folder until ended by SIGTERM, which closes them like
# the window's close button: status 0, no script error.
for run in "/usr/share/oru/examples asteroids.js" /usr/share/oru/examples /tmp/newgame; do
  folder=${run%% *} script=${run#"$folder"}
  # $script is empty or one word.
  # shellcheck disable=SC2086
  output=$(cd "$folder" &&
    on_display sh /tmp/oru-test/end_when_running.sh oru $script 2>>/tmp/oru-test/errors) || true
  case "$output" in
    *"Failed to run"* | *"Error on line"* | *"could not load"* | *"not loaded"*)
      fail "oru$script in $folder failed: $output" ;;
    *"status 0") ;;
    *) fail "oru$script in $folder did not end with status 0: $output" ;;
  esac
done

if [ "$failures" -ne 0 ]; then
  echo "standard error:"
  cat /tmp/oru-test/errors
  exit 1
fi
echo "fresh install: oru $(dpkg-query -W -f '${Version}' oru) installed and ran scripts"
