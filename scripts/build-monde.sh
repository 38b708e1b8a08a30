#!/usr/bin/env bash
# Rebuilds the bundled world map (data/monde/monde.bin) from the pinned Natural Earth packages.
#
#   scripts/build-monde.sh [BUILD_DIR] [OUT_FILE]
#
# BUILD_DIR defaults to build-data (CMake build folder for monde-build), OUT_FILE to
# data/monde/monde.bin. The sources are fetched into the cache by scripts/fetch-sources.sh
# (set ORLAVINE_SOURCES to use another cache folder).
set -euo pipefail

RACINE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$RACINE/build-data}"
OUT_FILE="${2:-$RACINE/data/monde/monde.bin}"

SOURCES="$("$RACINE/scripts/fetch-sources.sh" | tail -n 1)"

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S "$RACINE" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$BUILD_DIR" --target monde-build -j "${JOBS:-2}"

mkdir -p "$(dirname "$OUT_FILE")"
"$BUILD_DIR/bin/monde-build" --sources "$SOURCES" --out "$OUT_FILE"
