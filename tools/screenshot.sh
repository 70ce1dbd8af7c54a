#!/bin/sh
# Captures the default demo on a virtual X server into docs/demo.png (or the
# file named by the first argument), for the README. Run after `make run`
# has built build/oru, from anywhere.
set -eu
cd "$(dirname "$0")/.."
out="${1:-docs/demo.png}"
# The inner script is single-quoted: its variables are its own.
# shellcheck disable=SC2016
exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" sh -c '
  build/oru main.js & pid=$!
  sleep 3
  xwd -root -silent | convert xwd:- -crop 640x480+0+0 "$0"
  kill -TERM $pid
  wait $pid' "$out"
