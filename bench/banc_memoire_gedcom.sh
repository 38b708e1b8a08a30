#!/bin/sh
# Time and peak memory (/usr/bin/time -v, "Maximum resident set size") of the command-line
# import and export of generated GEDCOM trees, and the byte-identical round trip of each.
#   bench/banc_memoire_gedcom.sh [-c orlavine-cli] [-g orlavine-genere-gedcom] [-d DOSSIER] LIGNES...
# e.g. bench/banc_memoire_gedcom.sh 1000000 4000000 20000000 (about 30 bytes a line on disk,
# four times that with the base and the export: check the free space first).
set -eu
bin=$(dirname "$0")/../build/bin
cli=$bin/orlavine-cli
genere=$bin/orlavine-genere-gedcom
dossier=${TMPDIR:-/tmp}/banc-memoire-gedcom
while getopts c:g:d: o; do
    case $o in
    c) cli=$OPTARG ;;
    g) genere=$OPTARG ;;
    d) dossier=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || set -- 1000000 4000000
mkdir -p "$dossier"

# "secondes	secondes-processeur	Mo" of a command run under /usr/bin/time -v (the processor
# time, user and system, tells the work from the waiting on a busy machine).
mesure() {
    /usr/bin/time -v -o "$dossier/time.txt" "$@" >/dev/null 2>"$dossier/stderr.txt" || {
        cat "$dossier/stderr.txt" "$dossier/time.txt" >&2
        exit 1
    }
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0;
                   for (i = 1; i <= n; ++i) s = s * 60 + t[i] }
                /User time \(seconds\)/ { cpu += $2 }
                /System time \(seconds\)/ { cpu += $2 }
                /Maximum resident set size/ { ko = $2 }
                END { printf "%.1f\t%.1f\t%.0f", s, cpu, ko / 1024 }' "$dossier/time.txt"
}

printf 'lignes\toctets\timport_s\timport_cpu_s\timport_Mo\texport_s\texport_cpu_s\texport_Mo\tidentique\n'
for lignes in "$@"; do
    ged=$dossier/arbre-$lignes.ged
    base=$dossier/arbre-$lignes.sqlite
    sortie=$dossier/sortie-$lignes.ged
    [ -f "$ged" ] || "$genere" "$lignes" "$ged"
    rm -f "$base" "$sortie"
    import=$(mesure "$cli" base importer "$ged" --base "$base")
    export=$(mesure "$cli" base exporter --base "$base" "$sortie")
    if cmp -s "$ged" "$sortie"; then identique=oui; else identique=NON; fi
    printf '%s\t%s\t%s\t%s\t%s\n' "$lignes" "$(stat -c %s "$ged")" "$import" "$export" "$identique"
    rm -f "$base" "$base-wal" "$base-shm" "$sortie"
done
