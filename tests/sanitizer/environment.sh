#!/bin/sh
# Runs a command with the checked build's sanitizer settings: any report
# ends the process with a failure, and leaks are checked at exit.
here="$(cd "$(dirname "$0")" && pwd)"

# A 64 MB quarantine (256 MB by default) keeps the long-running fuzzer's
# memory small. oru caps the memory the process may map; an allocation past
# the cap must fail as it does without the sanitizer (null, which the engine
# reports as "out of memory"), not end the process with a report.
ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:quarantine_size_mb=64:allocator_may_return_null=1"
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
LSAN_OPTIONS="suppressions=$here/leaks.supp:print_suppressions=0"
export ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

# Mesa unloads its software driver when the window closes; the driver's own
# globals then stop being leak roots, and what they held reads as leaks of an
# unknown module. Loading it up front keeps it mapped until exit.
for driver in /usr/lib/*/dri/swrast_dri.so; do
  [ -f "$driver" ] && LD_PRELOAD="$driver${LD_PRELOAD:+ $LD_PRELOAD}" && export LD_PRELOAD
done

exec "$@"
