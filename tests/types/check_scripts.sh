#!/bin/sh
# Checks oru's scripts against the type declarations templates/new-game/oru.d.ts
# with the TypeScript compiler (--checkJs --noEmit): every example with the
# helpers in examples/lib, the default demo main.js, the scripts of the user
# guide (README.md's JavaScript blocks), and the starter game through its own
# jsconfig.json, as an editor sees it. Then a copy of the
# starter with a misspelled function and a missing argument must be flagged,
# so that a check that flags nothing cannot pass. Any failure fails; the
# compiler's own messages say where.
#
#   check_scripts.sh SOURCE_DIR TSC
set -eu
source_dir=$1 tsc=$2
cd "$source_dir"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Each script is a program of its own: scripts share one global scope, so two
# examples checked together would clash over their top-level names.
# The user guide's scripts, one file each.
awk -v dir="$tmp" '
  /^```js$/ { n++; file = dir "/readme-" n ".js"; next }
  /^```$/ { file = ""; next }
  file != "" { print > file }
' README.md
[ -n "$(ls "$tmp"/readme-*.js 2>/dev/null)" ] || fail "README.md holds no JavaScript block"
for script in main.js examples/*.js "$tmp"/readme-*.js; do
  "$tsc" --allowJs --checkJs --noEmit --strict false --target es2022 --lib es2022 \
    templates/new-game/oru.d.ts examples/lib/*.js "$script" || fail "$script"
done
"$tsc" -p templates/new-game/jsconfig.json || fail "the starter game"

cp -R templates/new-game "$tmp/starter"
printf '%s\n' 'drawLin(0, 0, 10, 10);' 'setColor(1, 0.5);' >>"$tmp/starter/main.js"
lines=$(wc -l <"$tmp/starter/main.js")
if "$tsc" -p "$tmp/starter/jsconfig.json" >"$tmp/flagged" 2>&1; then
  fail "a misspelled function and a missing argument were not flagged"
fi
for message in "main.js($((lines - 1)),1): error TS2552: Cannot find name 'drawLin'. Did you mean 'drawLine'?" \
  "main.js($lines,1): error TS2554: Expected 3 arguments, but got 2."; do
  grep -qF "$message" "$tmp/flagged" || fail "not flagged: $message; the compiler said: $(cat "$tmp/flagged")"
done

[ "$failures" -eq 0 ] && echo "types: every script matches oru.d.ts"
exit "$failures"
