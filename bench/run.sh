#!/bin/sh
# Runs the benchmark: `make bench` (which builds oru first), or bench/run.sh
# after a build. Installs what the benchmark needs (heaptrack, and LOVE for the
# peer program), builds its programs, and
# runs bench_driver from the repository root, on a private virtual X server
# when there is no display. Extra arguments go to bench_driver
# (--seconds S, --repeats R, --startup-runs K, --only PART).
#
# `bench/run.sh --only workload [RUNS]` is separate: it times the pure
# JavaScript workload bench/workload.js (no window) under the built oru and
# under Node, RUNS times each (5 by default) in turns, and prints each run's
# line and the median total of each; both must compute the same checksum.
#
# `bench/run.sh --only watch [RUNS]` is separate too: watch mode's time from
# a save to the new frame (median of RUNS saves, 20 by default) and the CPU of
# an idle game with and without --watch (bench/watch.sh).
#
# `bench/run.sh --only new [RUNS]` times `oru --new` and the new starter game
# up to its window (median of RUNS, 10 by default; bench/new_game.sh).
#
# `bench/run.sh --only web` runs the web player's part alone (also run after
# the rest by a full run): frames per second in headless Chromium against
# native oru and against a minimal WebGL reference, with the same strokes,
# and the export and first-frame times of the default demo
# (bench/web/web_bench.js, writing build/bench/web.csv).
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

if [ "${1:-}" = --only ] && [ "${2:-}" = workload ]; then
  runs=${3:-5}
  ./tools/install-deps.sh nodejs
  cmake --build "$build" --target oru -j "$(nproc 2>/dev/null || echo 2)"
  results=$(mktemp)
  trap 'rm -f "$results"' EXIT
  for _ in $(seq "$runs"); do
    for engine in oru node; do
      if [ "$engine" = oru ]; then line=$("$build/oru" bench/workload.js); else line=$(node bench/workload.js); fi
      echo "$engine $line"
      echo "$engine $line" >>"$results"
    done
  done
  # Both must compute the same: the checksum is the last field.
  if [ "$(awk '{ print $NF }' "$results" | sort -u | wc -l)" -ne 1 ]; then
    echo "workload: oru and node computed different checksums" >&2
    exit 1
  fi
  for engine in oru node; do
    median=$(awk -v e="$engine" '$1 == e { for (i = 1; i < NF; ++i) if ($i == "total") print $(i + 1) }' "$results" |
      sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    echo "median $engine total ${median} ms"
  done
  echo "node $(node --version)"
  exit 0
fi

if [ "${1:-}" = --only ] && [ "${2:-}" = watch ]; then
  cmake --build "$build" --target oru -j "$(nproc 2>/dev/null || echo 2)"
  if [ -n "${DISPLAY:-}" ]; then exec bench/watch.sh "$build" "${3:-20}"; fi
  exec ./tests/with_display.sh bench/watch.sh "$build" "${3:-20}"
fi

if [ "${1:-}" = --only ] && [ "${2:-}" = new ]; then
  cmake --build "$build" --target oru -j "$(nproc 2>/dev/null || echo 2)"
  if [ -n "${DISPLAY:-}" ]; then exec bench/new_game.sh "$build" "${3:-10}"; fi
  exec ./tests/with_display.sh bench/new_game.sh "$build" "${3:-10}"
fi

# The web player's part, on the virtual X server when there is no display
# (the native side opens a window).
web_bench() {
  ./tools/install-deps.sh chromium
  cmake --build "$build" --target oru oru_bench web_test_modules -j "$(nproc 2>/dev/null || echo 2)"
  export NODE_PATH="$build/tests/web/node_modules"
  if [ -n "${DISPLAY:-}" ]; then
    node bench/web/web_bench.js "$build"
  else
    ./tests/with_display.sh node bench/web/web_bench.js "$build"
  fi
}

if [ "${1:-}" = --only ] && [ "${2:-}" = web ]; then
  web_bench
  exit 0
fi

./tools/install-deps.sh heaptrack love
cmake --build "$build" --target bench_programs -j "$(nproc 2>/dev/null || echo 2)"
# The heap profiles are read by heap_profile, whose test runs first.
"$build/bench/heap_profile_tests"

# Frames must not wait for a vertical blank on a real display.
export vblank_mode=0
if [ -n "${DISPLAY:-}" ]; then
  "$build/bench/bench_driver" "$build" "$@"
else
  ./tests/with_display.sh "$build/bench/bench_driver" "$build" "$@"
fi
# A part of the driver's own (--only) leaves the web player's row out.
if [ "${1:-}" != --only ]; then web_bench; fi
