#!/usr/bin/env bash
# Builds rilk and shows what it does so far: its version and its usage text.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target rilk

rilk="$PWD/build/src/rilk"
"$rilk" --version
"$rilk" -h
