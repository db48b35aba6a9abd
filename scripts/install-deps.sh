#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the tools and the demo need.
set -euo pipefail
packages=(
  # build
  cmake ninja-build g++ pkg-config
  # Linux runtime and tools
  libsdl2-dev libx11-dev libgif-dev libjpeg62-turbo-dev libimagequant-dev libstb-dev
  # Windows runtimes
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  # tests, fuzzing and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  python3 faketime xvfb xauth x11-utils xdotool imagemagick
  # the running-cost benchmark's peers
  xscreensaver-data xscreensaver-data-extra
  # another client's window, its cursor and the server's blanking, for the hack mode's tests
  x11-apps libxfixes3 libxss1
  # the Windows build under Wine
  wine64
  # the Debian package, its checks, and the XScreenSaver it registers savers with
  dpkg-dev file lintian debootstrap xscreensaver
  # the on-line maker: its HTTP library, the reverse proxy, browser and load tests
  libcpp-httplib-dev nginx chromium wrk
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

# Node and npm for the maker's browser test (any Node that brings npm will do).
if ! command -v npm >/dev/null; then
  SUDO=
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q nodejs npm
fi
"$(dirname "$0")/../tests/serve/install.sh"
