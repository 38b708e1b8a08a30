#!/usr/bin/env bash
# Builds everything under AddressSanitizer + UndefinedBehaviorSanitizer in build-asan and
# runs every test there.
#   ORLAVINE_ASAN_BUILD  build folder (default: build-asan)
set -euo pipefail

racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$racine"
build=${ORLAVINE_ASAN_BUILD:-build-asan}

bash scripts/bootstrap.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORLAVINE_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS="-D_GLIBCXX_ASSERTIONS"
cmake --build "$build" -j2

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:check_initialization_order=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$racine/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir "$build" --output-on-failure --no-tests=error -j2 </dev/null
