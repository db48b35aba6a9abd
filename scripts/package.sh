#!/usr/bin/env bash
# Builds the Debian package (voq-make, the Linux and Windows runtimes, the
# sample saver as an XScreenSaver hack) into build/linux and checks it with
# lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target package
deb=$(ls build/linux/quillovarnenthodex_*_amd64.deb)
lintian --fail-on error "$deb"
echo "package: $deb"
