#!/usr/bin/env bash
# Builds the Debian package from an existing build folder (build/ by default, or $1), unpacks it
# into a scratch root and runs the installed programs from there with the build folder moved
# away: they must find their data through their own install location.
# PAQUET_CAPTURE=FICHIER.png keeps the installed desktop program's picture.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
depot=$PWD
construction=$(realpath -m "${1:-build}")

echec() {
  echo "paquet : ÉCHEC : $*" >&2
  exit 1
}

# A run killed midway left these folders aside: put them back first.
for d in "$construction" "$depot/data"; do
  if [ -d "$d.cache-paquet" ] && [ ! -e "$d" ]; then mv "$d.cache-paquet" "$d"; fi
done
[ -f "$construction/CMakeCache.txt" ] || echec "pas de dossier de construction dans $construction (lancer scripts/test.sh d'abord)."
command -v dpkg-shlibdeps >/dev/null || echec "dpkg-shlibdeps introuvable : installer dpkg-dev (scripts/bootstrap.sh)."

cmake --build "$construction" -j"$(nproc)" --target orlavine orlavine-cli orlavine_compresses
rm -f "$construction"/orlavine_*.deb
(cd "$construction" && cpack -G DEB) || echec "cpack -G DEB a échoué."
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$construction/CMakeCache.txt")
deb="$construction/orlavine_${version}_amd64.deb"
[ -f "$deb" ] || echec "le paquet $deb n'a pas été produit."

echo "== $deb"
dpkg-deb -f "$deb" Package Version Section Depends
contenu=$(dpkg-deb -c "$deb" | awk '{print $6}')
for chemin in ./usr/bin/orlavine ./usr/bin/orlavine-cli \
  ./usr/share/orlavine/atlas/cc.dat ./usr/share/orlavine/geocodeur/monde.dat \
  ./usr/share/orlavine/monde/monde.bin ./usr/share/applications/orlavine.desktop \
  ./usr/share/icons/hicolor/scalable/apps/orlavine.svg ./usr/share/mime/packages/orlavine-gedcom.xml \
  ./usr/share/man/man1/orlavine-cli.1.gz ./usr/share/man/man1/orlavine.1.gz \
  ./usr/share/doc/orlavine/copyright ./usr/share/doc/orlavine/changelog.gz; do
  grep -qxF "$chemin" <<<"$contenu" || echec "le paquet ne contient pas $chemin."
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || echec "le paquet ne déclare pas ses dépendances (Depends: $(dpkg-deb -f "$deb" Depends))."

racine=$(mktemp -d /tmp/orlavine-racine.XXXXXX)
image=$(mktemp /tmp/orlavine-capture.XXXXXX.png)
dpkg-deb -x "$deb" "$racine"

# The build folder and the source tree's data both out of reach (the programs fall back on the
# latter's path, compiled in), put back whatever happens.
donnees="$depot/data"
remettre() {
  local d
  for d in "$construction" "$donnees"; do
    if [ -d "$d.cache-paquet" ] && [ ! -e "$d" ]; then mv "$d.cache-paquet" "$d"; fi
  done
  rm -rf "$racine" "$image"
}
trap remettre EXIT
mv "$construction" "$construction.cache-paquet"
mv "$donnees" "$donnees.cache-paquet"

unset LD_LIBRARY_PATH
cd /
sortie=$("$racine/usr/bin/orlavine-cli" recherche Versailles) ||
  echec "orlavine-cli recherche Versailles (installé) a échoué."
grep -q VERSAILLES <<<"$sortie" || echec "orlavine-cli recherche Versailles (installé) ne trouve pas Versailles : $sortie"
echo "$sortie" | head -3
sortie=$("$racine/usr/bin/orlavine-cli" geocoder "Mayence, Allemagne") ||
  echec "orlavine-cli geocoder « Mayence, Allemagne » (installé) a échoué."
[ -n "$sortie" ] || echec "orlavine-cli geocoder « Mayence, Allemagne » (installé) ne répond rien."
echo "$sortie" | head -3
QT_QPA_PLATFORM=offscreen "$racine/usr/bin/orlavine" --capture "$image" Versailles ||
  echec "orlavine --capture (installé) a échoué."
[ "$(head -c 8 "$image" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  echec "orlavine --capture (installé) n'a pas produit d'image PNG."
if [ -n "${PAQUET_CAPTURE:-}" ]; then cp "$image" "$PAQUET_CAPTURE"; fi
echo "paquet : $(basename "$deb") installé dans une racine à part, les trois essais passent."
