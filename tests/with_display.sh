#!/bin/sh
# Runs a command on a private virtual X server with Mesa's software OpenGL.
# -noreset keeps the server from resetting between SDL's two connections.
# -r turns off key autorepeat: a key held for seconds is one press, as the
# key tests expect, even when a loaded machine defeats SDL's repeat filter.
# Tests run in parallel: starting the search for a free server number at one
# derived from this process keeps parallel runs from racing for the same one.
exec xvfb-run -a -n $(( $$ % 5000 + 100 )) -s "-screen 0 1024x768x24 -noreset -r" "$@"
