#!/usr/bin/env bash
# Installs what the project needs to build and test, from Debian, only what is missing.
# Safe to run again: when everything is there it returns in about a second.
set -euo pipefail

need_pkgs=(
  cmake g++ ninja-build libgtest-dev liblzma-dev clang
  g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
  wine wine64 wine32:i386
  wixl msitools 7zip
  xvfb xauth imagemagick x11-utils locales
)

missing=()
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
for p in "${need_pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ] && [ $have_i386 -eq 1 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ $have_i386 -eq 0 ]; then
  $SUDO dpkg --add-architecture i386
fi
echo "deps: installing ${missing[*]}" >&2
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
