#!/usr/bin/env bash
# Makes data/sources/centroides-communes-2018.csv, the committed source of the commune
# positions, from the official file of commune centroids (IGN Admin Express COG 2018 with
# INSEE 2018 codes, Licence Ouverte 2.0):
#
#   scripts/compact-centroids.sh communes-centroids-2018.csv > data/sources/centroides-communes-2018.csv
#
# Keeps the communes of metropolitan France (the overseas codes 97xxx and 98xxx are left
# out) in the order of the original, columns unchanged, after a version line and two lines
# of attribution that atlas-build checks and skips. The same original always gives the
# same bytes.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage : $0 communes-centroids-2018.csv" >&2; exit 2; }
ORIGINAL="$1"
[ -f "$ORIGINAL" ] || { echo "compact-centroids : « $ORIGINAL » absent" >&2; exit 1; }

LC_ALL=C awk -F';' -v fichier="$ORIGINAL" '
  NR == 1 {
    if ($0 != "code_insee;nom;latitude;longitude") {
      printf "compact-centroids : %s, ligne 1 : en-tête « code_insee;nom;latitude;longitude » attendu\n", fichier > "/dev/stderr"
      exit 1
    }
    print "# centroides-communes-2018 format 1"
    print "# Source : IGN, Admin Express COG 2018 ; INSEE, code officiel géographique 2018 — Licence Ouverte / Open Licence 2.0 (Etalab)"
    print "# Centroïdes des communes de métropole, extraits de communes-centroids-2018.csv par scripts/compact-centroids.sh"
    print
    next
  }
  NF != 4 || $1 !~ /^[0-9][0-9AB][0-9][0-9][0-9]$/ {
    printf "compact-centroids : %s, ligne %d : 4 colonnes code_insee;nom;latitude;longitude attendues\n", fichier, NR > "/dev/stderr"
    exit 1
  }
  $1 ~ /^9[78]/ { next }
  { print }
' "$ORIGINAL"
