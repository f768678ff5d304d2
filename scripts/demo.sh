#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo setup under Wine in a throwaway prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
state=build/wine-demo
trap 'tests/harness/wine.sh cleanup "$state"' EXIT
tests/harness/wine.sh setup "$state"
codefile=$(mktemp /tmp/qs-demo-XXXXXX)
rm -f "$codefile"
z() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }
tests/harness/wine.sh run "$state" --timeout 120 build/win32/tests/harness/winrun.exe "$(z "$codefile")" "$(z build/win32/bin/setup.exe)"
echo "demo setup exited with code $(cat "$codefile")"
rm -f "$codefile"
