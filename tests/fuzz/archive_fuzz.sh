#!/usr/bin/env bash
# Builds the container reader's fuzz target with clang++ (libFuzzer + AddressSanitizer) and
# runs it for a while from a small corpus of 7zz archives.
#   archive_fuzz.sh SOURCE_DIR WORK_DIR [SECONDS]
set -euo pipefail
src=${1:?source dir}
work=${2:?work dir}
seconds=${3:-25}
mkdir -p "$work/corpus" "$work/seed"
work=$(cd "$work" && pwd)
exe="$work/archive_fuzz"
sources=("$src"/archive/*.cpp "$src"/archive/codec/*.cpp "$src"/tests/fuzz/archive_fuzz.cpp)
newest=$(ls -t "${sources[@]}" "$src"/archive/*.h "$src"/archive/codec/*.h | head -1)
if [ ! -x "$exe" ] || [ "$newest" -nt "$exe" ]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$src" "${sources[@]}" -o "$exe"
fi
if ! ls "$work"/corpus/*.7z >/dev/null 2>&1; then
  printf 'small text file\n' > "$work/seed/a.txt"
  cp /bin/true "$work/seed/program"
  head -c 3000 /dev/urandom > "$work/seed/b.bin"
  mkdir -p "$work/seed/dir/empty"
  : > "$work/seed/dir/empty.txt"
  for v in "-mx=9" "-m0=Copy" "-m0=LZMA" "-m0=LZMA2" "-mf=BCJ -m0=LZMA" "-mf=Delta:2" "-ms=off" "-ppw" "-ppw -mhe=on"; do
    name=$(echo "$v" | tr -c 'A-Za-z0-9' '_')
    (cd "$work/seed" && 7zz a -bso0 -bsp0 $v "$work/corpus/$name.7z" a.txt b.bin dir program >/dev/null)
  done
fi
# -rss_limit_mb catches unbounded allocation; -timeout catches hangs.
"$exe" "$work/corpus" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 -max_len=65536 -print_final_stats=1 2>&1 | tail -15
