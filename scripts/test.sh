#!/usr/bin/env bash
# Builds rilk and runs the whole test suite twice: once in an optimised build and once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then the tests of the code that runs
# threads (the job runner, the logger, the cache read and the file times read ahead) a third
# time, in a tree of their own under ThreadSanitizer. Installs what it needs first.
#
# The trees compile the same code as a developer's, with line tables only for debug
# information (-g1: the sanitizers' reports still name file and line, and about a tenth of
# the compile time goes), and the optimised one without the profile-guided second compile
# that scripts/example.sh makes (only the optimiser's choices differ): a fifth of the time.
#
# RILK_TEST_JOBS sets the number of parallel compile and test jobs (default: one per
# core); lower it on a machine shared with other builds.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=${RILK_TEST_JOBS:-$(nproc)}
timings=()
run_suite() {
    local dir=$1
    shift
    local start=$SECONDS
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" --parallel "$jobs"
    ctest --test-dir "$dir" --output-on-failure --parallel "$jobs"
    timings+=("$dir: $((SECONDS - start)) s")
}

echo "== tests (release build)"
run_suite build-release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRILK_BUILD_BENCHMARKS=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"

echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DRILK_SANITIZE=ON -DRILK_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS_DEBUG=-g1

echo "== thread tests (ThreadSanitizer: job runner, logger, cache read, file times, unit ranges)"
export TSAN_OPTIONS=halt_on_error=1
run_suite build-tsan -DCMAKE_BUILD_TYPE=Debug -DRILK_TSAN=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1

echo "== time per stage (build and tests, $jobs jobs)"
printf '%s\n' "${timings[@]}"
