#!/usr/bin/env bash
# Installs what is missing, builds, packs the demo setup (examples/demo) and runs it under Wine
# in a throwaway prefix, then prints its exit code and its trace log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
bash examples/build.sh

state=build/wine-demo
trap 'tests/harness/wine.sh cleanup "$state"' EXIT
tests/harness/wine.sh setup "$state"
z() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }
codefile=$(mktemp /tmp/qs-demo-XXXXXX)
log=build/examples/demo-trace.log
rm -f "$codefile" "$log"
tests/harness/wine.sh run "$state" --timeout 120 build/win32/tests/harness/winrun.exe "$(z "$codefile")" \
  "$(z build/examples/demo/setup.exe)" "/l=$(z "$log")"
echo "demo setup exited with code $(cat "$codefile")"
if [ -f "$log" ]; then
  echo "trace log ($log):"
  iconv -f UTF-16LE -t UTF-8 "$log"
fi
rm -f "$codefile"
