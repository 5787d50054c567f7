#!/usr/bin/env bash
# Builds rilk, then with it the example project examples/hello: a C program linked against a
# static library of its own, compiled with the machine's GCC (/usr/bin). Runs the program,
# then rilk once more, which finds everything up to date.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRILK_PGO=ON >/dev/null
cmake --build build --parallel "$(nproc)" --target rilk

rilk="$PWD/build/src/rilk"
cd examples/hello
"$rilk" -j "$(nproc)"
# The program lies in the output directory of the target "app".
program="$(find out -path '*/app/hello' -type f)"
"$program"
# Nothing changed since, so a second run finds every target up to date and runs nothing.
"$rilk" -j "$(nproc)"
