#!/bin/bash
# Watch mode: the time from a save to the rerun's first frame (median of
# RUNS saves, 20 by default), and the CPU oru uses running an idle game for
# 10 s with and without --watch. Run on a display (bench/run.sh --only watch
# starts a private one when there is none): bench/watch.sh BUILD_DIR [RUNS].
set -eu
oru=$(realpath "$1/oru")
runs=${2:-20}
game=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$game"' EXIT

# A game that prints its version as its first frame is shown, then idles.
write_game() {
  printf 'initORU(640, 480, false); clear(); drawLine(50, 50, 590, 430); print("%s\\n"); flip();\n' "$1" >"$game/main.js.new"
  printf 'while (true) { clear(); drawLine(50, 50, 590, 430); flip(); }\n' >>"$game/main.js.new"
  mv "$game/main.js.new" "$game/main.js"
}

# Milliseconds of CPU (user and system) the process has used.
cpu_ms() {
  awk -v hz="$(getconf CLK_TCK)" '{ print ($14 + $15) * 1000 / hz }' "/proc/$1/stat"
}

write_game v0
mkfifo "$game/out"
"$oru" --watch "$game" >"$game/out" &
pid=$!
exec 3<"$game/out"
read -r line <&3
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  write_game "v$run"
  while read -r line <&3; do [ "$line" = "v$run" ] && break; done
  echo $(( ($(date +%s%N) - start) / 1000000 ))
done | sort -n | awk '{ v[NR] = $1 } END {
  printf "save to new frame: median %d ms (min %d, max %d, %d saves)\n", v[int((NR + 1) / 2)], v[1], v[NR], NR }'

# CPU over 10 s of the idle game, watched and not.
for mode in --watch ""; do
  if [ -n "$mode" ]; then
    before=$(cpu_ms "$pid"); sleep 10; after=$(cpu_ms "$pid")
    kill "$pid"; wait "$pid" 2>/dev/null || true
  else
    (cd "$game" && exec "$oru" main.js >/dev/null) &
    pid=$!
    sleep 1
    before=$(cpu_ms "$pid"); sleep 10; after=$(cpu_ms "$pid")
    kill "$pid"; wait "$pid" 2>/dev/null || true
  fi
  awk -v m="${mode:-plain}" -v b="$before" -v a="$after" \
    'BEGIN { printf "idle game, %s: %.1f%% of a core\n", m, (a - b) / 100 }'
done
