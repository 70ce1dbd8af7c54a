#!/bin/sh
# Runs the script fuzzer: run.sh FUZZER [libFuzzer arguments of this run].
# The settings every run shares live here, for the test suite's runs and for
# `make fuzz` alike: the sanitizer settings, a private virtual X server, the
# script's output (standard output) dropped, leaks left to the sanitizer's
# exit check, inputs up to 4 KB grown quickly, 20 s and 4 GB per input.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
fuzzer=$1
shift
exec "$here/../sanitizer/environment.sh" "$here/../with_display.sh" "$fuzzer" \
  -close_fd_mask=1 -detect_leaks=0 -max_len=4096 -len_control=20 -timeout=20 -rss_limit_mb=4096 \
  -print_final_stats=1 "$@"
