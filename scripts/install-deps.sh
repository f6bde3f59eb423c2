#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kiekjesbode need.
# Runs apt-get only when something is missing, so a second run costs nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libqt6opengl6-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs
  clang libclang-rt-14-dev
  xvfb xauth x11-utils imagemagick
  fonts-dejavu-core
  fp-utils libchm-dev
  appstream desktop-file-utils librsvg2-bin dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
