#!/bin/sh
# Runs the benchmarks side by side in one go and prints ratios.
# Usage: make bench (builds first), or bench/run.sh after a build.
set -eu
cd "$(dirname "$0")/.."
oru=build/oru
native=build/bench/native_lines

echo "== start-up: an empty script, 20 runs"
: > /tmp/oru-bench-empty.js
start=$(date +%s.%N)
for i in $(seq 20); do "$oru" /tmp/oru-bench-empty.js; done
end=$(date +%s.%N)
echo "$start $end" | awk '{ printf "  %.1f ms per run\n", ($2 - $1) * 1000 / 20 }'

echo "== native calls: 2,000,000 calls of getRed against a script function"
"$oru" bench/calls.js | awk '{ printf "  script function %.3f s, native %.3f s, ratio %.2f, %.0f ns per native call\n", $1, $2, $2 / $1, $2 * 1e9 / 2000000 }'

echo "== glow lines: 200,000 lines in 100 frames, script against C++ (virtual X server)"
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" sh -c "
  s=\$($oru bench/lines.js); n=\$($native)
  echo \"\$s \$n\"" | awk '{ printf "  script %.3f s (%.0f lines/s), C++ %.3f s (%.0f lines/s), ratio %.2f\n", $1, 200000 / $1, $2, 200000 / $2, $1 / $2 }'

echo "== peak memory"

/usr/bin/time -f "  empty script: %M KB" "$oru" /tmp/oru-bench-empty.js
rm -f /tmp/oru-bench-empty.js
