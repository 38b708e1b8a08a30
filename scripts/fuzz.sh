#!/usr/bin/env bash
# Fuzzing of the three atlas readers, the commune lookup, the GEDCOM reader and writer
# (every character set), the geocoder's world file and search, and the world map file: builds the libFuzzer
# harnesses with clang (AddressSanitizer + UndefinedBehaviorSanitizer), writes the seed
# corpus with the atlas writers, runs each harness for ORLAVINE_FUZZ_DUREE seconds (30 by
# default) and prints the executions of each. Exits non-zero when a harness finds a fault;
# the input that caused it is kept under <build>/fuzz-artefacts/.
#   ORLAVINE_FUZZ_BUILD  build folder (default: build-fuzz)
#   ORLAVINE_FUZZ_DUREE  seconds per harness (default: 30)
#   ORLAVINE_FUZZ_HARNAIS  harnesses to run (default: communes departements contours liees
#                          postaux noms recherche gedcom monde geocodage carte_monde)
set -euo pipefail

racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$racine"
build=${ORLAVINE_FUZZ_BUILD:-build-fuzz}
duree=${ORLAVINE_FUZZ_DUREE:-30}
read -r -a harnais <<<"${ORLAVINE_FUZZ_HARNAIS:-communes departements contours liees postaux noms recherche gedcom monde geocodage carte_monde}"

bash scripts/bootstrap.sh

# Only the toolkit-free libraries and the harnesses are built here.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_CXX_FLAGS="-D_GLIBCXX_ASSERTIONS" \
  -DORLAVINE_FUZZ=ON -DORLAVINE_GUI=OFF -DORLAVINE_TESTS=ON -DORLAVINE_BENCH=OFF
cibles=(orlavine-fuzz-corpus orlavine-fuzz-corpus-gedcom)
for h in "${harnais[@]}"; do cibles+=("orlavine-fuzz-$h"); done
cmake --build "$build" -j2 --target "${cibles[@]}"

rm -rf "$build/fuzz-corpus"
"$build/bin/orlavine-fuzz-corpus" "$build/fuzz-corpus"
"$build/bin/orlavine-fuzz-corpus-gedcom" "$build/fuzz-corpus"

# UndefinedBehaviorSanitizer stops at the first fault so that libFuzzer records it. A smaller
# quarantine keeps the resident memory well under -rss_limit_mb.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:quarantine_size_mb=64}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

mkdir -p "$build/fuzz-artefacts" "$build/fuzz-journaux"
reussis=0
echoues=0
resume=()
for h in "${harnais[@]}"; do
  # New inputs go to a working copy; the seeds stay as written.
  travail="$build/fuzz-travail/$h"
  mkdir -p "$travail"
  journal="$build/fuzz-journaux/$h.log"
  echo "== fuzz $h : ${duree} s"
  statut=0
  "$build/bin/orlavine-fuzz-$h" -max_total_time="$duree" -timeout=10 \
    -rss_limit_mb=512 -malloc_limit_mb=256 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-artefacts/$h-" \
    "$travail" "$build/fuzz-corpus/$h" </dev/null >"$journal" 2>&1 || statut=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$journal" | tail -n 1)
  executions=${executions:-?}
  if [ "$statut" -eq 0 ]; then
    reussis=$((reussis + 1))
    resume+=("$h : ${executions} exécutions en ${duree} s, aucune faute")
  else
    echoues=$((echoues + 1))
    resume+=("$h : ÉCHEC après ${executions} exécutions (code $statut), journal $journal")
    echo "---- fin du journal de $h"
    tail -n 60 "$journal"
    ls -1 "$build/fuzz-artefacts/$h-"* 2>/dev/null | sed 's/^/reproducteur : /' || true
  fi
done

echo "== Résumé du fuzzing"
for ligne in "${resume[@]}"; do echo "  $ligne"; done
echo "fuzz: $reussis passed, $echoues failed"
[ "$echoues" -eq 0 ]
