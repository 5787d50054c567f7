#!/usr/bin/env bash
# Builds rilk and runs it in the example project examples/hello. Building a project needs
# the build driver, which rilk does not have yet; for now it shows its version and usage.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target rilk

rilk="$PWD/build/src/rilk"
cd examples/hello
"$rilk" --version
"$rilk" -h
