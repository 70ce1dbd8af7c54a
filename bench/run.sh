#!/bin/sh
# Runs the benchmark: `make bench` (which builds oru first), or bench/run.sh
# after a build. Installs what the benchmark needs (heaptrack, and LOVE for the
# peer program), builds its programs, and
# runs bench_driver from the repository root, on a private virtual X server
# when there is no display. Extra arguments go to bench_driver
# (--seconds S, --repeats R, --startup-runs K, --only PART).
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

./tools/install-deps.sh heaptrack love
cmake --build "$build" --target bench_programs -j "$(nproc 2>/dev/null || echo 2)"

# Frames must not wait for a vertical blank on a real display.
export vblank_mode=0
if [ -n "${DISPLAY:-}" ]; then
  exec "$build/bench/bench_driver" "$build" "$@"
fi
exec ./tests/with_display.sh "$build/bench/bench_driver" "$build" "$@"
