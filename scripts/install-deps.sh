#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the tools and the demo need.
set -euo pipefail
packages=(
  # build
  cmake ninja-build g++ pkg-config
  # Linux runtime and tools
  libsdl2-dev libgif-dev libimagequant-dev libstb-dev
  # Windows runtimes
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  # tests, fuzzing and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  python3 faketime xvfb xauth x11-utils xdotool imagemagick
  # the running-cost benchmark's peers
  xscreensaver-data xscreensaver-data-extra
  # the Windows build under Wine
  wine64
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
