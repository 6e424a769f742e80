#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the data package need.
set -euo pipefail
packages=(
  build-essential cmake pkg-config clang clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  liberfa-dev
  python3 python3-numpy python3-scipy python3-erfa
  python3-casacore casacore-data-jpl-de405
  python3-jplephem
  python3-skyfield
  python3-astroquery
  libpluto-jpl-eph-dev
  kstars-data
  qt6-base-dev fonts-liberation xvfb xauth
  libx11-dev
  libuemf-dev
  locales
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The tests read numbers under a locale with a decimal comma (de_DE.UTF-8):
# generated here when the system does not have it yet.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
