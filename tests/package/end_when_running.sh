#!/bin/sh
# Starts a program in the background and ends it with SIGTERM once it handles
# that signal and has run for half a second of its own processor time, however
# long a busy machine takes to give it that; then prints "status N", N being
# how it ended, as the shell reports it.
#
#   end_when_running.sh PROGRAM [ARGUMENT...]
"$@" &
pid=$!
enough=$(( $(getconf CLK_TCK) / 2 ))
# Two minutes at most.
for _ in $(seq 2400); do
  caught=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)
  [ -n "$caught" ] || break
  # The fields after the command name: utime and stime are the 12th and 13th.
  # shellcheck disable=SC2046 # split into fields on purpose
  set -- $(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null)
  if [ $(( 0x$caught >> 14 & 1 )) = 1 ] && [ $(( ${12} + ${13} )) -ge "$enough" ]; then
    break
  fi
  sleep 0.05
done
kill -TERM "$pid" 2>/dev/null
wait "$pid"
echo "status $?"
