#!/bin/sh
# Installs the build into a temporary DESTDIR as `make install` does, checks
# what a user finds there (the program runs scripts from any folder, the
# examples run from their installed folder, the manual page renders without
# warnings and names this version and prefix), then uninstalls with the
# install manifest.
#
#   install_test.sh SOURCE_DIR BUILD_DIR PREFIX VERSION
set -eu
source_dir=$1 build_dir=$2 prefix=$3 version=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root="$tmp/root"
examples="$root$prefix/share/oru/examples"
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs oru in the folder $1 with the arguments after it; expects the output
# $2 and the exit status $3 (the 3rd and 4th arguments come first).
expect_run() {
  output=$1 status=$2 folder=$3
  shift 3
  actual_status=0
  actual=$(cd "$folder" && "$root$prefix/bin/oru" "$@" 2>"$tmp/errors") || actual_status=$?
  [ "$actual" = "$output" ] || fail "oru $* in $folder printed '$actual', not '$output'"
  [ "$actual_status" = "$status" ] || fail "oru $* in $folder ended with $actual_status, not $status"
  [ ! -s "$tmp/errors" ] || fail "oru $* in $folder wrote to standard error: $(cat "$tmp/errors")"
}

# A component of its own keeps the user's install_manifest.txt untouched.
DESTDIR="$root" cmake --install "$build_dir" --prefix "$prefix" --component Unspecified >/dev/null
manifest="$build_dir/install_manifest_Unspecified.txt"

for file in bin/oru share/man/man1/oru.1.gz share/doc/oru/README.md share/doc/oru/docs/demo.png \
  share/doc/oru/copyright share/doc/oru/changelog.Debian.gz share/oru/examples/main.js \
  share/oru/examples/asteroids.js share/oru/examples/keys.js share/oru/examples/lissajous.js \
  share/oru/examples/lib/font.js share/oru/examples/lib/vec.js share/oru/oru.d.ts; do
  [ -f "$root$prefix/$file" ] || fail "$prefix/$file is not installed"
done
[ -x "$root$prefix/bin/oru" ] || fail "$prefix/bin/oru is not executable"
# The user guide is the documentation installed; the developers' file is not.
cmp -s "$source_dir/README.md" "$root$prefix/share/doc/oru/README.md" ||
  fail "$prefix/share/doc/oru/README.md is not README.md"
[ ! -e "$root$prefix/share/doc/oru/DEVELOPING.md" ] || fail "DEVELOPING.md is installed"

# A game in a folder of its own: main.js by default, paths relative to it.
mkdir -p "$tmp/game/levels"
printf '%s\n' 'print("main " + runScript("levels/one.js") + "\n");' >"$tmp/game/main.js"
printf '%s\n' 'print("level one\n");' >"$tmp/game/levels/one.js"
expect_run "level one
main true" 0 "$tmp/game"
expect_run "Failed to run nothing.js (File does not exsist)." 1 "$tmp/game" nothing.js

# The installed examples' helpers load from the examples folder, as the
# examples load them.
cat >"$tmp/game/helpers.js" <<'SCRIPT'
print(runScript("lib/font.js") + " " + runScript("lib/vec.js") + " " +
      StrokeFont.textWidth("ORU", 6) + " " + VMath.dist({x: 0, y: 0}, {x: 3, y: 4}) + "\n");
SCRIPT
expect_run "true true 16 5" 0 "$examples" "$tmp/game/helpers.js"

# The default demo, run by a bare `oru` in the examples folder, finds the
# stroke font there (kept off any display, it then says it has no window).
demo=$(cd "$examples" && env -u DISPLAY SDL_VIDEODRIVER=x11 "$root$prefix/bin/oru" 2>&1) ||
  fail "oru in the examples folder ended with status $?"
[ "$demo" = "Failed to initialize SDL.
main.js: could not open the window" ] || fail "oru in the examples folder printed '$demo'"

# `oru --new` carries its starter game in the program: the new game holds
# the installed declarations.
(cd "$tmp" && "$root$prefix/bin/oru" --new newgame >/dev/null 2>"$tmp/errors") ||
  fail "oru --new newgame ended with status $?: $(cat "$tmp/errors")"
cmp -s "$tmp/newgame/oru.d.ts" "$root$prefix/share/oru/oru.d.ts" ||
  fail "the new game's oru.d.ts is not the installed one"
for file in main.js text.js jsconfig.json .gitignore; do
  [ -s "$tmp/newgame/$file" ] || fail "oru --new made no $file"
done

# The package's changelog names this version; the copyright file its licence.
latest=$(gzip -dc "$root$prefix/share/doc/oru/changelog.Debian.gz" | head -n 1)
case "$latest" in
  "oru ($version-"*) ;;
  *) fail "the changelog's latest entry is '$latest', not version $version" ;;
esac
grep -q '^License: Expat$' "$root$prefix/share/doc/oru/copyright" ||
  fail "the copyright file names no Expat licence"

# The manual page in the source tree, as `man ./packaging/oru.1` shows it:
# no warnings, and the project's version on its title line.
source_page="$source_dir/packaging/oru.1"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$source_page" >/dev/null 2>"$tmp/man-warnings" ||
  fail "man could not render packaging/oru.1"
[ ! -s "$tmp/man-warnings" ] || fail "packaging/oru.1 renders with warnings: $(cat "$tmp/man-warnings")"
title=$(grep '^\.TH ' "$source_page")
case "$title" in
  *'"oru '"$version"'"'*) ;;
  *) fail "packaging/oru.1 is for another version than $version: $title" ;;
esac

# The installed page: no warnings from the formatter, the version, the
# prefix's folders in place of the package's, and all 21 functions.
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root$prefix/share/man/man1/oru.1.gz" \
  2>"$tmp/man-warnings") || fail "man could not render oru.1.gz"
[ ! -s "$tmp/man-warnings" ] || fail "oru.1.gz renders with warnings: $(cat "$tmp/man-warnings")"
if [ "$prefix" != /usr ]; then
  case "$page" in
    *"/usr/share/"*) fail "the manual page installed under $prefix names /usr/share" ;;
  esac
fi
for text in "oru $version" "cd $prefix/share/oru/examples && oru asteroids.js" "--help" "--version" \
  "--new" "$prefix/share/oru/oru.d.ts" "$prefix/share/doc/oru" \
  "folder/main.js" \
  "runScript(fileName)" "print(text)" "initORU(width," "getTime()" "clear()" "flip()" \
  "drawPoint(x, y)" "setLineWidth(width)" "setCoordSystem(left," "setColor(red," \
  "drawLine(x1, y1, x2, y2)" "leftDown()" "rightDown()" "upDown()" "downDown()" "spaceDown()" \
  "escDown()" "enterDown()" "getRed()" "getGreen()" "getBlue()"; do
  case "$page" in
    *"$text"*) ;;
    *) fail "the manual page does not show '$text'" ;;
  esac
done

# The messages a user meets, as the page's source spells them (the rendered
# page may break a line inside one).
source=$(gzip -dc "$root$prefix/share/man/man1/oru.1.gz")
for text in "unknown option" "stopping it." "was saved; running" "The game has ended." \
  "Save a script to run the game again; Escape quits." "in its own folder"; do
  case "$source" in
    *"$text"*) ;;
    *) fail "the manual page does not mention '$text'" ;;
  esac
done

# Uninstalling leaves no file and none of oru's folders behind.
DESTDIR="$root" cmake -DMANIFEST="$manifest" -P "$source_dir/packaging/uninstall.cmake" >/dev/null
rm -f "$manifest"
left=$(find "$root" -type f -o -type d -path '*/oru')
[ -z "$left" ] || fail "left after uninstalling: $left"

[ "$failures" -eq 0 ] && echo "install: all checks passed"
exit "$failures"
