#!/bin/bash
# The time from `oru --new` to the starter game's window: the command makes
# a game folder, then `oru` runs in it until a window named ORU is on the
# screen. Prints the median of RUNS (10 by default), and of the command alone.
# Run on a display (bench/run.sh --only new starts a private one when there is
# none): bench/new_game.sh BUILD_DIR [RUNS].
set -eu
oru=$(realpath "$1/oru")
runs=${2:-10}
work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

# Whether a window named ORU is on the screen.
window_shown() {
  xwininfo -name ORU 2>/dev/null | grep -q 'Map State: IsViewable'
}

# The median, least and greatest of the numbers on standard input.
summary() {
  sort -n | awk '{ v[NR] = $1 } END { printf "median %d ms (min %d, max %d)", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

for run in $(seq "$runs"); do
  start=$(date +%s%N)
  (cd "$work" && "$oru" --new "game$run" >/dev/null)
  made=$(date +%s%N)
  (cd "$work/game$run" && exec "$oru" >/dev/null) &
  pid=$!
  until window_shown; do sleep 0.01; done
  shown=$(date +%s%N)
  kill "$pid"
  wait "$pid" || true
  pid=""
  while window_shown; do sleep 0.01; done
  echo $(( (made - start) / 1000000 )) >>"$work/made"
  echo $(( (shown - start) / 1000000 )) >>"$work/shown"
done
echo "oru --new alone: $(summary <"$work/made")"
echo "oru --new to the starter's window: $(summary <"$work/shown"), $runs runs"
