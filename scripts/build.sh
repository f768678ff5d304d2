#!/usr/bin/env bash
# Configures and builds both configurations: win32 (the product, under build/win32) and
# native (libraries, tools, tests, under build/native).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in win32 native; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
