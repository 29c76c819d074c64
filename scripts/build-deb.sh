#!/bin/sh
# Builds a release and packs it as a .deb with CPack (the package lands in BUILD_DIR).
# Usage: scripts/build-deb.sh [BUILD_DIR]
set -eu
build=${1:-build-deb}
cmake -S "$(dirname "$0")/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target corvana
(cd "$build" && cpack -G DEB)
ls "$build"/*.deb
