#!/usr/bin/env bash
# The Wine harness for tests.
#
#   wine.sh setup   STATE           make a throwaway prefix (copied from a booted template that is
#                                   kept in STATE/template), start Xvfb and a persistent wineserver
#   wine.sh run     STATE [--timeout S] [--cwd DIR] EXE [ARGS...]
#                                   run a Windows program in that prefix; its output and exit status
#                                   come back (exit 124 on time-out)
#   wine.sh cleanup STATE           stop the wineserver and Xvfb, delete the prefix
#
# Never touches ~/.wine. WINEDEBUG=-all always. Without a prior setup, `run` sets up on its own.
set -euo pipefail

cmd=${1:?usage: wine.sh setup|run|cleanup STATE ...}
state=${2:?usage: wine.sh $cmd STATE ...}
shift 2
mkdir -p "$state"
state=$(cd "$state" && pwd)
template="$state/template"
prefix="$state/prefix"

export WINEDEBUG=-all
export WINEARCH=win64
# No Gecko or Mono install prompts during boot.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

boot_template() {
  local stamp="$template/.qs-booted"
  local version
  version=$(wine --version 2>/dev/null || echo unknown)
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ]; then
    return 0
  fi
  rm -rf "$template"
  mkdir -p "$template"
  WINEPREFIX="$template" timeout 600 wineboot -i >/dev/null 2>&1 || { echo "wine harness: wineboot failed" >&2; return 1; }
  WINEPREFIX="$template" timeout 120 wineserver -w || true
  echo "$version" > "$stamp"
}

start_xvfb() {
  local n
  for n in $(seq 91 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! > "$state/xvfb.pid"
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n" > "$state/display"; return 0; }
      kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break
      sleep 0.05
    done
  done
  echo "wine harness: could not start Xvfb" >&2
  return 1
}

do_setup() {
  do_cleanup
  boot_template
  cp -a "$template" "$prefix"
  start_xvfb
  # Wine's helper processes (services, the desktop) outlive the programs that start them while
  # the wineserver is persistent; start them here, detached from the caller's output.
  WINEPREFIX="$prefix" DISPLAY="$(cat "$state/display")" wineserver -p </dev/null >/dev/null 2>&1
  WINEPREFIX="$prefix" DISPLAY="$(cat "$state/display")" timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

do_cleanup() {
  if [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" timeout 30 wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
  rm -rf "$prefix"
}

do_run() {
  local timeout_s=${QS_WINE_TIMEOUT:-120} cwd=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --timeout) timeout_s=$2; shift 2 ;;
      --cwd) cwd=$2; shift 2 ;;
      *) break ;;
    esac
  done
  [ $# -ge 1 ] || { echo "usage: wine.sh run STATE [--timeout S] [--cwd DIR] EXE [ARGS...]" >&2; exit 2; }
  if [ ! -d "$prefix" ] || [ ! -f "$state/display" ]; then
    do_setup
  fi
  export WINEPREFIX="$prefix"
  export DISPLAY
  DISPLAY=$(cat "$state/display")
  [ -n "$cwd" ] && cd "$cwd"
  # Output goes through a file: a helper process that Wine starts may keep a pipe open long
  # after the program ended, and the caller would wait for it.
  local rc=0 out
  out=$(mktemp "$state/out.XXXXXX")
  timeout -k 5 "$timeout_s" wine "$@" </dev/null >"$out" 2>&1 || rc=$?
  cat "$out"
  rm -f "$out"
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    echo "wine harness: '$1' timed out after ${timeout_s}s" >&2
    return 124
  fi
  return $rc
}

case "$cmd" in
  setup) do_setup ;;
  cleanup) do_cleanup ;;
  run) do_run "$@" ;;
  *) echo "wine.sh: unknown command '$cmd'" >&2; exit 2 ;;
esac
