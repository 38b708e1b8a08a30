#!/usr/bin/env bash
# Installs what the build needs, builds the programs and starts Orlavine on the bundled atlas.
#   ./scripts/run.sh [TEXTE]      e.g. ./scripts/run.sh Versailles
# Under a display the desktop program opens on the communes page with TEXTE searched.
# Without one it shows what the atlas finds for TEXTE and saves a picture of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target orlavine-cli $( [ -f app/desktop/main.cpp ] && echo orlavine )

texte="${1:-Versailles}"
if [ -x build/bin/orlavine ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/bin/orlavine "$texte"
fi

echo "Pas d'écran graphique : voici ce que l'atlas trouve pour « $texte »."
build/bin/orlavine-cli info
build/bin/orlavine-cli recherche "$texte"
build/bin/orlavine-cli voisins "$texte" --rayon 5
if [ -x build/bin/orlavine ]; then
  QT_QPA_PLATFORM=offscreen build/bin/orlavine --capture build/orlavine.png "$texte"
  echo "Image de la fenêtre : build/orlavine.png"
  echo "Sous un écran : build/bin/orlavine \"$texte\" ; sans écran : build/bin/orlavine --capture FICHIER.png \"$texte\""
fi
echo "Ligne de commande : build/bin/orlavine-cli --aide"
