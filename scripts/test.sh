#!/usr/bin/env bash
# Installs what is missing, builds both configurations and runs every test (native unit tests,
# tests run under Wine, system tests) in one ctest run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
ctest --preset all -j "$(nproc)" "$@"
