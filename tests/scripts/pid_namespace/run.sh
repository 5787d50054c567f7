#!/bin/sh
# Runs a test program in a PID namespace of its own, as a build runs in a container: the
# leaders of its session and process group lie outside, so both read as 0 inside. Exits
# with 77 (skipped) where no namespace can be made (it takes root or a user namespace).
#
# The program is not the namespace's first process, which signals without a handler never
# reach; a shell is, and it reaps what the tests leave to it.
unshare --pid --fork --mount-proc true 2>/dev/null || exit 77
exec unshare --pid --fork --mount-proc sh -c '"$@"; exit $?' sh "$@"
