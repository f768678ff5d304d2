#!/usr/bin/env bash
# Packs the example setups into build/examples/<name>/.
#
#   examples/build.sh [WIN32_BUILD_DIR [NATIVE_BUILD_DIR]]
#
# The engine (bin/setup.exe) and the archive library (bin/yib.lib) come from the win32 build
# (default build/win32), quillpack from the native build (default build/native). The demo's
# installer database is built from examples/demo/msi/demo.wxs with wixl.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
win32="$(realpath -m "${1:-$root/build/win32}")"
native="$(realpath -m "${2:-$root/build/native}")"
out="$root/build/examples"

for f in "$win32/bin/setup.exe" "$win32/bin/yib.lib" "$native/bin/quillpack"; do
  if [ ! -f "$f" ]; then
    echo "examples/build.sh: $f is missing; build both configurations first (scripts/build.sh)" >&2
    exit 1
  fi
done

mkdir -p "$out/msi"
(cd "$root/examples/demo/msi" && wixl -o "$out/msi/demo.msi" demo.wxs)

"$native/bin/quillpack" "$root/examples/demo/package.ini" -o "$out/demo" --replace \
  --engine "$win32/bin/setup.exe" --archive-library "$win32/bin/yib.lib"
echo "examples/build.sh: demo package in $out/demo"
