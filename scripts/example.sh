#!/usr/bin/env bash
# Builds rilk and runs it in the example project examples/hello, which compiles, links and
# runs a small C program; a second run finds everything up to date and runs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target rilk

rilk="$PWD/build/src/rilk"
cd examples/hello
"$rilk" --version
"$rilk"
"$rilk"
